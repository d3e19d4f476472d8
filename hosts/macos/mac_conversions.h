// Text and file URLs between Foundation's objects and the extension's values.
// Objective-C++ only. Thread-safety: any thread.
#pragma once

#import <Foundation/Foundation.h>

#include <optional>
#include <string>
#include <string_view>

#include "base/file_url.h"

NS_ASSUME_NONNULL_BEGIN

namespace tessvik::macos {

// `text` as an NSString, or nil when it is not well-formed UTF-8.
NSString* _Nullable toNSString(std::string_view text);

// The UTF-8 bytes of `text`, or nothing for nil.
std::optional<std::string> toStdString(NSString* _Nullable text);

// The file path of `url` and whether it names a folder (a trailing "/"), or
// nothing for a URL that is not a file URL or has no path.
std::optional<FileUrl> toFileUrl(NSURL* url);

// A file URL for `url`, or nil when its path is not UTF-8. A folder's URL ends
// in "/". For an item not marked as a folder, Foundation looks at the file
// system and marks it as a folder if it is one, as joining a path component
// to a folder's URL does: the core makes such URLs by joining a badge state
// file's relative paths to its root.
NSURL* _Nullable toNSURL(const FileUrl& url);

}  // namespace tessvik::macos

NS_ASSUME_NONNULL_END
