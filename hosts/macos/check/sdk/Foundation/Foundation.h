// Stand-in for the part of Apple's Foundation that the macOS adapter uses,
// written from Apple's documentation, for the Linux compile check only.
#pragma once

#import <objc/NSObject.h>

#define FOUNDATION_EXPORT extern "C"

typedef double CGFloat;
typedef double NSTimeInterval;

NS_ASSUME_NONNULL_BEGIN

// for-in needs the method below; the state's fields are the compiler's business.
typedef struct NSFastEnumerationState NSFastEnumerationState;

@protocol NSFastEnumeration
- (NSUInteger)countByEnumeratingWithState:(NSFastEnumerationState*)state
                                  objects:(id __unsafe_unretained _Nullable[_Nonnull])buffer
                                    count:(NSUInteger)len;
@end

// NSString

typedef NSUInteger NSStringEncoding;
enum : NSStringEncoding { NSUTF8StringEncoding = 4 };

@interface NSString : NSObject
- (nullable instancetype)initWithBytes:(const void*)bytes
                                length:(NSUInteger)len
                              encoding:(NSStringEncoding)encoding;
@property(nullable, readonly) const char* UTF8String NS_RETURNS_INNER_POINTER;
- (NSUInteger)lengthOfBytesUsingEncoding:(NSStringEncoding)enc;
- (BOOL)isEqualToString:(NSString*)aString;
@end

FOUNDATION_EXPORT SEL NSSelectorFromString(NSString* aSelectorName);
FOUNDATION_EXPORT NSString* NSHomeDirectory(void);

// Collections

@interface NSArray<__covariant ObjectType> : NSObject <NSFastEnumeration>
// What an array literal (@[ … ]) calls.
+ (instancetype)arrayWithObjects:(const ObjectType _Nonnull[_Nonnull])objects count:(NSUInteger)cnt;
@property(readonly) NSUInteger count;
@end

@interface NSMutableArray<ObjectType> : NSArray <ObjectType>
+ (instancetype)arrayWithCapacity:(NSUInteger)numItems;
- (void)addObject:(ObjectType)anObject;
@end

@interface NSSet<__covariant ObjectType> : NSObject
+ (instancetype)set;
@end

@interface NSMutableSet<ObjectType> : NSSet <ObjectType>
+ (instancetype)setWithCapacity:(NSUInteger)numItems;
- (void)addObject:(ObjectType)object;
@end

// NSURL

@interface NSURL : NSObject
+ (nullable instancetype)URLWithString:(NSString*)URLString;
+ (NSURL*)fileURLWithPath:(NSString*)path isDirectory:(BOOL)isDir;
+ (NSURL*)fileURLWithPath:(NSString*)path;
@property(nullable, readonly, copy) NSString* path;
@property(getter=isFileURL, readonly) BOOL fileURL;
@property(readonly) BOOL hasDirectoryPath;
- (nullable NSURL*)URLByAppendingPathComponent:(NSString*)pathComponent;
@end

@interface NSURLQueryItem : NSObject
@property(readonly) NSString* name;
@property(nullable, readonly) NSString* value;
@end

@interface NSURLComponents : NSObject
+ (nullable instancetype)componentsWithURL:(NSURL*)url resolvingAgainstBaseURL:(BOOL)resolve;
@property(nullable, copy) NSString* scheme;
@property(nullable, copy) NSString* host;
@property(nullable, copy) NSArray<NSURLQueryItem*>* queryItems;
@end

// The application: its bundle, the tools it starts

@interface NSError : NSObject
@property(readonly, copy) NSString* localizedDescription;
@end

@class NSNotification;

@interface NSBundle : NSObject
@property(class, readonly, strong) NSBundle* mainBundle;
@property(nullable, readonly, copy) NSURL* builtInPlugInsURL;
@end

@interface NSTask : NSObject
+ (nullable NSTask*)launchedTaskWithExecutableURL:(NSURL*)url
                                        arguments:(NSArray<NSString*>*)arguments
                                            error:(NSError* _Nullable* _Nullable)error
                               terminationHandler:(void (^_Nullable)(NSTask*))terminationHandler;
@end

// Threads, timers and the run loop

@interface NSThread : NSObject
@property(class, readonly) BOOL isMainThread;
@end

@interface NSTimer : NSObject
+ (NSTimer*)timerWithTimeInterval:(NSTimeInterval)interval
                          repeats:(BOOL)repeats
                            block:(void (^)(NSTimer* timer))block;
@end

typedef NSString* NSRunLoopMode NS_TYPED_EXTENSIBLE_ENUM;
FOUNDATION_EXPORT NSRunLoopMode const NSRunLoopCommonModes;

@interface NSRunLoop : NSObject
@property(class, readonly, strong) NSRunLoop* mainRunLoop;
- (void)addTimer:(NSTimer*)timer forMode:(NSRunLoopMode)mode;
@end

// App extensions

@interface NSExtensionContext : NSObject
@end

NS_ASSUME_NONNULL_END
