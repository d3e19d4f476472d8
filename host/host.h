// Everything the extension takes from its host, gathered for the
// composition root: each host (the simulated Finder, the macOS adapter, the
// file-manager shells, the test fakes) builds one and hands it to FinderSync.
#pragma once

namespace tessvik {

class FileSystem;
class FinderSyncController;
class Logger;
class RunLoop;
class SymbolImages;
class UserDatabase;
class Workspace;

// Non-owning: every service must outlive the FinderSync made with it, and
// the run loop must outlive every timer scheduled on it.
struct Host {
  FinderSyncController& controller;
  SymbolImages& images;
  FileSystem& fileSystem;
  RunLoop& runLoop;
  Logger& logger;
  UserDatabase& users;
  Workspace& workspace;
};

}  // namespace tessvik
