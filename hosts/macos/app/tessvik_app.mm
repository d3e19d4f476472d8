// TessVik.app: the application that carries TessvikFinder.appex in its
// PlugIns folder, so that a Mac registers the extension at all (a bare
// .appex never shows in System Settings). Opening it registers the extension
// and shows one small window saying where to tick it, with a button that
// opens that pane; then it quits. The real sync client's application takes
// its place in a release.
//
// Built with TESSVIK_APP_OPENS_SHARE_URLS, it also shows the path that a
// tessvik://share?path=… URL hands over, so that a developer can try the
// share command on a Mac without the sync client; otherwise it ignores them
// (its Info.plist then declares no URL scheme either).

#import <AppKit/AppKit.h>
#import <FinderSync/FinderSync.h>
#include <dispatch/dispatch.h>
#include <os/log.h>

#include <string>

#include "hosts/macos/mac_conversions.h"

NS_ASSUME_NONNULL_BEGIN

namespace {

// Where the Finder's extensions are ticked, in the words of the running
// macOS (its French names).
std::string extensionSettingsPath() {
  if (@available(macOS 15, *)) {
    return "Réglages Système > Général > Ouverture et extensions > Extensions";
  }
  if (@available(macOS 13, *)) {
    return "Réglages Système > Confidentialité et sécurité > Extensions > Extensions ajoutées";
  }
  return "Préférences Système > Extensions > Extensions ajoutées";
}

// Asks the system to register the extension that this application carries
// (pluginkit -a), without waiting for it. Launch Services registers it too
// when the application is first opened from /Applications; this also covers
// a copy opened from elsewhere, such as the Downloads folder.
void registerExtension() {
  NSURL* plugIns = NSBundle.mainBundle.builtInPlugInsURL;
  NSString* extension = [plugIns URLByAppendingPathComponent:@"TessvikFinder.appex"].path;
  if (extension == nil) return;
  NSError* error = nil;
  NSTask* task = [NSTask launchedTaskWithExecutableURL:[NSURL fileURLWithPath:@"/usr/bin/pluginkit"]
                                             arguments:@[ @"-a", extension ]
                                                 error:&error
                                    terminationHandler:nil];
  if (task == nil) {
    os_log_with_type(os_log_create("com.tessvik.tessvik", "app"), OS_LOG_TYPE_ERROR,
                     "l'extension n'a pas pu être enregistrée : %{public}s",
                     error.localizedDescription.UTF8String);
  }
}

// Says where to tick the extension, or that it is ticked; its first button
// opens the system's pane of Finder extensions.
void showEnableWindow() {
  NSAlert* alert = [[NSAlert alloc] init];
  if (FIFinderSyncController.extensionEnabled) {
    alert.messageText = @"L'extension TessVik est activée";
    alert.informativeText =
        @"Ses pastilles s'affichent dans le Finder, dans vos dossiers synchronisés.";
  } else {
    alert.messageText = @"Activez l'extension TessVik";
    const std::string where =
        "Pour voir les pastilles de synchronisation dans le Finder, cochez TessVik parmi les "
        "extensions du Finder :\n" +
        extensionSettingsPath();
    NSString* text = tessvik::macos::toNSString(where);
    if (text != nil) alert.informativeText = text;
  }
  [alert addButtonWithTitle:@"Ouvrir les réglages des extensions"];
  [alert addButtonWithTitle:@"Fermer"];
  [NSApp activateIgnoringOtherApps:YES];
  if ([alert runModal] == NSAlertFirstButtonReturn) {
    [FIFinderSyncController showExtensionManagementInterface];
  }
}

#if TESSVIK_APP_OPENS_SHARE_URLS
// The path that a tessvik://share?path=… URL hands over (its query decoded),
// or nil for any other URL.
NSString* _Nullable sharedPath(NSURL* url) {
  NSURLComponents* parts = [NSURLComponents componentsWithURL:url resolvingAgainstBaseURL:NO];
  if (parts == nil || ![parts.scheme isEqualToString:@"tessvik"] ||
      ![parts.host isEqualToString:@"share"]) {
    return nil;
  }
  for (NSURLQueryItem* item in parts.queryItems) {
    if ([item.name isEqualToString:@"path"]) return item.value;
  }
  return nil;
}

void showSharedPath(NSString* path) {
  NSAlert* alert = [[NSAlert alloc] init];
  alert.messageText = @"Partage demandé";
  alert.informativeText = path;
  [alert addButtonWithTitle:@"Fermer"];
  [NSApp activateIgnoringOtherApps:YES];
  [alert runModal];
}
#endif

}  // namespace

@interface TessVikAppDelegate : NSObject <NSApplicationDelegate>
@end

@implementation TessVikAppDelegate {
  // A URL came with the launch: it is answered instead of the enable window.
  BOOL _openedForURL;
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification {
  (void)notification;
  registerExtension();
  // Queued, so that the URLs that came with the launch are handed over first.
  dispatch_async(dispatch_get_main_queue(), ^{
    if (!self->_openedForURL) showEnableWindow();
    [NSApp terminate:nil];
  });
}

#if TESSVIK_APP_OPENS_SHARE_URLS
- (void)application:(NSApplication*)application openURLs:(NSArray<NSURL*>*)urls {
  (void)application;
  _openedForURL = YES;
  for (NSURL* url in urls) {
    if (NSString* path = sharedPath(url)) showSharedPath(path);
  }
}
#endif

@end

int main() {
  @autoreleasepool {
    NSApplication* application = NSApplication.sharedApplication;
    // The application holds its delegate weakly: this one lives until run returns.
    TessVikAppDelegate* delegate = [[TessVikAppDelegate alloc] init];
    application.delegate = delegate;
    [application setActivationPolicy:NSApplicationActivationPolicyRegular];
    [application run];
  }
  return 0;
}

NS_ASSUME_NONNULL_END
