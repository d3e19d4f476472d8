// Stand-in for the Objective-C runtime's base declarations (objc/objc.h and
// objc/NSObject.h), written from Apple's documentation. Only the Linux
// compile check of the macOS adapter uses these headers; the real build uses
// the macOS SDK. Each declaration keeps Apple's name, selector, types and
// nullability, and nothing beyond what the adapter uses is declared.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The x86_64 definition: stricter than arm64's bool, so conversions to BOOL
// that one architecture would accept silently are seen here.
typedef signed char BOOL;
#define YES __objc_yes
#define NO __objc_no
#define nil nullptr

typedef long NSInteger;
typedef unsigned long NSUInteger;

#define NS_ASSUME_NONNULL_BEGIN _Pragma("clang assume_nonnull begin")
#define NS_ASSUME_NONNULL_END _Pragma("clang assume_nonnull end")
#define NS_RETURNS_INNER_POINTER __attribute__((objc_returns_inner_pointer))
#define NS_DESIGNATED_INITIALIZER __attribute__((objc_designated_initializer))
#define NS_TYPED_EXTENSIBLE_ENUM __attribute__((swift_wrapper(struct)))
#define NS_ENUM(_type, _name)                                         \
  enum __attribute__((enum_extensibility(open))) _name : _type _name; \
  enum _name : _type

@protocol NSObject
@end

__attribute__((objc_root_class))
@interface NSObject<NSObject>
+ (instancetype)alloc;
- (instancetype)init;
@end
