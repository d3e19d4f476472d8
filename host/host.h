// Everything the extension takes from its host, gathered for the
// composition root: each host (the simulated Finder, the macOS adapter, the
// file-manager shells, the test fakes) builds one and hands it to FinderSync.
#pragma once

namespace tessvik {

class FileSystem;
class FinderSyncController;
class Logger;
class RunLoop;
class SystemMemory;
class SymbolImages;
class UserDatabase;
class Workspace;

// The services of the platform the extension runs on, whatever shows its
// badges: the part of a Host that a host assembling the rest itself (the
// file-manager library) is given.
//
// Non-owning: every service must outlive the FinderSync made with it, and
// the run loop must outlive every timer scheduled on it.
struct PlatformServices {
  FileSystem& fileSystem;
  RunLoop& runLoop;
  Logger& logger;
  UserDatabase& users;
  Workspace& workspace;
  SystemMemory& memory;
};

// The platform's services, and the two that show the extension: where its
// badges and menu go (the controller) and the images they are drawn with.
//
// Threading: the extension runs on one thread, the one whose loop `runLoop`
// is, and calls every service from it. A host whose platform delivers calls
// on other threads (the Finder may ask for badges from any thread) must hand
// them to that loop before calling the extension: asynchronously, never
// waiting on the loop, since badge answers go through the controller anyway.
// A badge request and a reload then never run at the same time.
struct Host : PlatformServices {
  FinderSyncController& controller;
  SymbolImages& images;
};

}  // namespace tessvik
