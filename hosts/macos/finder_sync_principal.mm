// The extension's principal class: the class that Info.plist names, which the
// Finder Sync host creates with -init and then calls. It holds the extension
// and hands it each call on the main thread; no logic lives here.
//
// Threads. The Finder may call on threads other than the main one. The
// extension itself is made, used and destroyed on the main thread only, where
// its polling timer runs, so that a badge request and a reload never run at
// the same time. Nothing here ever waits for the main thread:
// - a badge request or a share action that arrives elsewhere is queued on the
//   main queue (its effect goes through the controller anyway); the share
//   action reads the Finder's selection first, while the Finder vouches for
//   it, and queues what it read;
// - a menu or a toolbar text wanted elsewhere is answered from the answers
//   that the extension gave once on the main thread when it started
//   (FixedAnswers): they depend on no state, so they are the answers the
//   extension would give now.
//
// Errors. Every call into C++ goes through guarded(): nothing thrown crosses
// into the Objective-C runtime.

#import <AppKit/AppKit.h>
#import <FinderSync/FinderSync.h>
#include <dispatch/dispatch.h>

#include <atomic>
#include <memory>
#include <string>

#include "hosts/macos/boundary.h"
#include "hosts/macos/fixed_answers.h"
#include "hosts/macos/mac_conversions.h"
#include "hosts/macos/mac_extension.h"
#include "hosts/macos/mac_menu.h"

NS_ASSUME_NONNULL_BEGIN

// Known to the runtime as exactly FinderSync (the C++ extension it drives is
// tessvik::FinderSync, in its own namespace).
@interface FinderSync : FIFinderSync
@end

@implementation FinderSync {
  // The extension: main thread only. Empty until it has started, or if it
  // could not start.
  std::unique_ptr<tessvik::macos::MacExtension> _extension;
  // Its fixed answers, published once by the main thread for the calls that
  // arrive elsewhere; null until the extension has started.
  std::atomic<const tessvik::macos::FixedAnswers*> _fixedAnswers;
}

// Main thread.
static void startExtension(FinderSync* object) {
  object->_extension =
      tessvik::macos::guarded([] { return std::make_unique<tessvik::macos::MacExtension>(); });
  if (object->_extension) {
    object->_fixedAnswers.store(&object->_extension->fixedAnswers(), std::memory_order_release);
  }
}

// Main thread.
static void answerBadgeRequest(FinderSync* object, NSURL* url) {
  tessvik::macos::guarded([&] {
    if (object->_extension) object->_extension->requestBadgeIdentifier(url);
  });
}

// Main thread.
static void shareItems(FinderSync* object, NSArray<NSURL*>* _Nullable selected) {
  tessvik::macos::guarded([&] {
    if (object->_extension) object->_extension->share(selected);
  });
}

// Runs `work` with the object on the main thread: now when already there,
// otherwise later, from the main queue, if the object still exists then.
static void onMainThread(FinderSync* object, void (^work)(FinderSync* object)) {
  if (NSThread.isMainThread) {
    work(object);
    return;
  }
  __weak FinderSync* weakObject = object;
  dispatch_async(dispatch_get_main_queue(), ^{
    FinderSync* strongObject = weakObject;
    if (strongObject != nil) work(strongObject);
  });
}

// A toolbar text: the extension's own on the main thread, the fixed answer
// elsewhere; empty before the extension has started.
static NSString* toolbarText(FinderSync* object, bool name) {
  NSString* text = tessvik::macos::guarded([&]() -> NSString* _Nullable {
    std::string value;
    if (NSThread.isMainThread) {
      if (!object->_extension) return nil;
      value =
          name ? object->_extension->toolbarItemName() : object->_extension->toolbarItemToolTip();
    } else {
      const tessvik::macos::FixedAnswers* fixed =
          object->_fixedAnswers.load(std::memory_order_acquire);
      if (fixed == nullptr) return nil;
      value = name ? fixed->toolbarItemName : fixed->toolbarItemToolTip;
    }
    return tessvik::macos::toNSString(value);
  });
  return text != nil ? text : @"";
}

- (instancetype)init {
  self = [super init];
  if (self == nil) return self;
  // Made off the main thread, the extension starts there as soon as the main
  // queue runs; calls queued meanwhile come after it, the queue being in order.
  onMainThread(self, ^(FinderSync* object) {
    startExtension(object);
  });
  return self;
}

- (void)dealloc {
  // Released elsewhere, the extension still goes away on the main thread,
  // where its timer may be ticking.
  if (!NSThread.isMainThread && _extension) {
    tessvik::macos::MacExtension* leaving = _extension.release();
    dispatch_async(dispatch_get_main_queue(), ^{
      delete leaving;
    });
  }
}

- (void)requestBadgeIdentifierForURL:(NSURL*)url {
  onMainThread(self, ^(FinderSync* object) {
    answerBadgeRequest(object, url);
  });
}

- (nullable NSMenu*)menuForMenuKind:(FIMenuKind)menuKind {
  const long kind = static_cast<long>(menuKind);
  return tessvik::macos::guarded([&]() -> NSMenu* _Nullable {
    if (NSThread.isMainThread) {
      return _extension ? tessvik::macos::makeMenu(_extension->menu(kind)) : nil;
    }
    const tessvik::macos::FixedAnswers* fixed = _fixedAnswers.load(std::memory_order_acquire);
    return fixed != nullptr ? tessvik::macos::makeMenu(fixed->menu(kind)) : nil;
  });
}

- (IBAction)share:(nullable id)sender {
  (void)sender;
  // The Finder's selection is valid only during the action: read it here,
  // on whatever thread the action arrives, and share it from the main thread.
  NSArray<NSURL*>* _Nullable selected = tessvik::macos::guarded(
      [] { return [FIFinderSyncController.defaultController selectedItemURLs]; });
  onMainThread(self, ^(FinderSync* object) {
    shareItems(object, selected);
  });
}

- (NSString*)toolbarItemName {
  return toolbarText(self, true);
}

- (NSString*)toolbarItemToolTip {
  return toolbarText(self, false);
}

@end

NS_ASSUME_NONNULL_END
