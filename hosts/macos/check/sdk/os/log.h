// Stand-in for Apple's unified logging API (os/log.h), written from Apple's
// documentation, for the Linux compile check only.
#pragma once

#import <objc/NSObject.h>

#include <stdbool.h>
#include <stdint.h>

NS_ASSUME_NONNULL_BEGIN

// Under Objective-C, log handles are objects that ARC retains and releases.
@protocol OS_os_log <NSObject>
@end
typedef NSObject<OS_os_log>* os_log_t;

typedef enum : uint8_t { OS_LOG_TYPE_DEFAULT = 0x00, OS_LOG_TYPE_ERROR = 0x10 } os_log_type_t;

extern "C" os_log_t os_log_create(const char* subsystem, const char* category)
    __attribute__((ns_returns_retained));
extern "C" bool os_log_type_enabled(os_log_t oslog, os_log_type_t type);

// The SDK's os_log_with_type takes a string literal as its format and checks
// the arguments against it; the stand-in keeps both rules: `"" format` only
// compiles for a literal, and the format attribute checks the arguments.
extern "C" void tessvik_check_os_log_with_type(os_log_t log, os_log_type_t type, const char* format,
                                               ...) __attribute__((format(os_log, 3, 4)));
#define os_log_with_type(log, type, format, ...) \
  tessvik_check_os_log_with_type((log), (type), "" format __VA_OPT__(, ) __VA_ARGS__)

NS_ASSUME_NONNULL_END
