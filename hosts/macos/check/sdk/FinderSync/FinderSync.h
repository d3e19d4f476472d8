// Stand-in for Apple's Finder Sync framework, written from Apple's
// documentation, for the Linux compile check only.
#pragma once

#import <AppKit/AppKit.h>

NS_ASSUME_NONNULL_BEGIN

typedef NS_ENUM(NSUInteger, FIMenuKind) {
  FIMenuKindContextualMenuForItems = 0,
  FIMenuKindContextualMenuForContainer = 1,
  FIMenuKindContextualMenuForSidebar = 2,
  FIMenuKindToolbarItemMenu = 3,
};

@protocol FIFinderSyncProtocol
@optional
- (nullable NSMenu*)menuForMenuKind:(FIMenuKind)menuKind;
- (void)beginObservingDirectoryAtURL:(NSURL*)url;
- (void)endObservingDirectoryAtURL:(NSURL*)url;
- (void)requestBadgeIdentifierForURL:(NSURL*)url;
@property(copy, readonly) NSString* toolbarItemName;
@property(copy, readonly) NSImage* toolbarItemImage;
@property(copy, readonly) NSString* toolbarItemToolTip;
@end

@interface FIFinderSync : NSObject <FIFinderSyncProtocol, NSExtensionRequestHandling>
@end

@interface FIFinderSyncController : NSExtensionContext
+ (instancetype)defaultController;
@property(copy, null_resettable) NSSet<NSURL*>* directoryURLs;
- (void)setBadgeImage:(NSImage*)image
                 label:(nullable NSString*)label
    forBadgeIdentifier:(NSString*)badgeID;
- (void)setBadgeIdentifier:(NSString*)badgeID forURL:(NSURL*)url;
- (nullable NSURL*)targetedURL;
- (nullable NSArray<NSURL*>*)selectedItemURLs;
@end

NS_ASSUME_NONNULL_END
