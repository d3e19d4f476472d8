#include "hosts/macos/mac_conversions.h"

namespace tessvik::macos {

NSString* _Nullable toNSString(std::string_view text) {
  if (text.empty()) return @"";
  return [[NSString alloc] initWithBytes:text.data()
                                  length:text.size()
                                encoding:NSUTF8StringEncoding];
}

std::optional<std::string> toStdString(NSString* _Nullable text) {
  if (text == nil) return std::nullopt;
  const char* bytes = text.UTF8String;
  if (bytes == nullptr) return std::nullopt;
  return std::string(bytes, [text lengthOfBytesUsingEncoding:NSUTF8StringEncoding]);
}

std::optional<FileUrl> toFileUrl(NSURL* url) {
  if (!url.fileURL) return std::nullopt;
  std::optional<std::string> path = toStdString(url.path);
  if (!path || path->empty()) return std::nullopt;
  return FileUrl::fromPath(*path, url.hasDirectoryPath);
}

NSURL* _Nullable toNSURL(const FileUrl& url) {
  NSString* path = toNSString(url.path());
  if (path == nil) return nil;
  return url.isDirectory() ? [NSURL fileURLWithPath:path isDirectory:YES]
                           : [NSURL fileURLWithPath:path];
}

}  // namespace tessvik::macos
