// Stand-in for Apple's Finder Sync framework, written from Apple's
// documentation, for the Linux compile check only.
#pragma once

#import <AppKit/AppKit.h>

NS_ASSUME_NONNULL_BEGIN

// The adapter passes the kind on as a number (0 to 3); no value is named here.
typedef NS_ENUM(NSUInteger, FIMenuKind) {};

// FIFinderSyncProtocol is the protocol's Swift name.
@protocol FIFinderSync
@optional
- (nullable NSMenu*)menuForMenuKind:(FIMenuKind)menuKind;
- (void)requestBadgeIdentifierForURL:(NSURL*)url;
@property(copy, readonly) NSString* toolbarItemName;
@property(copy, readonly) NSString* toolbarItemToolTip;
@end

@interface FIFinderSync : NSObject <FIFinderSync>
@end

@interface FIFinderSyncController : NSExtensionContext
+ (instancetype)defaultController;
@property(copy, null_resettable) NSSet<NSURL*>* directoryURLs;
- (void)setBadgeImage:(NSImage*)image
                 label:(nullable NSString*)label
    forBadgeIdentifier:(NSString*)badgeID;
- (void)setBadgeIdentifier:(NSString*)badgeID forURL:(NSURL*)url;
- (nullable NSArray<NSURL*>*)selectedItemURLs;
// For the containing application.
@property(class, readonly, getter=isExtensionEnabled) BOOL extensionEnabled;
+ (void)showExtensionManagementInterface;
@end

NS_ASSUME_NONNULL_END
