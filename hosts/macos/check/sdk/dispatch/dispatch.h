// Stand-in for the part of Apple's libdispatch that the macOS adapter uses,
// written from Apple's documentation, for the Linux compile check only.
#pragma once

#import <objc/NSObject.h>

NS_ASSUME_NONNULL_BEGIN

// Under Objective-C, dispatch objects are objects that ARC retains and releases.
// (The SDK's chain of protocols is shorter here: object and serial queue left out.)
@protocol OS_dispatch_queue <NSObject>
@end
@protocol OS_dispatch_queue_main <OS_dispatch_queue>
@end
typedef NSObject<OS_dispatch_queue>* dispatch_queue_t;
typedef NSObject<OS_dispatch_queue_main>* dispatch_queue_main_t;

typedef void (^dispatch_block_t)(void);

extern "C" void dispatch_async(dispatch_queue_t queue, dispatch_block_t block);
// A macro in the SDK; a function here, with the same use and type.
extern "C" dispatch_queue_main_t dispatch_get_main_queue(void);

NS_ASSUME_NONNULL_END
