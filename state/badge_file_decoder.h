// Decodes badge state files, strictly: a file decodes whole or not at all.
#pragma once

#include <memory>
#include <string>

#include "host/error.h"
#include "state/badge_file.h"

namespace simdjson::dom {
class parser;
}

namespace tessvik {

// Holds the JSON parser's working memory between files, so that a large file
// rewritten every second is not paid for with fresh allocations each time.
// Not thread-safe: one decoder per thread.
class BadgeFileDecoder {
 public:
  BadgeFileDecoder();
  ~BadgeFileDecoder();
  BadgeFileDecoder(BadgeFileDecoder&&) noexcept;
  BadgeFileDecoder& operator=(BadgeFileDecoder&&) noexcept;

  // The BadgeFile in `bytes`, or an Error whose French description says what
  // is wrong: not JSON, not an object, "root" missing or not a string, "files"
  // missing or not an object, or a value of "files" that is not a string. A
  // member named twice counts as written last. A leading UTF-8 byte-order
  // mark is skipped. `bytes` is read faster when its capacity leaves 64 bytes
  // of room past its end.
  Result<BadgeFile> decode(const std::string& bytes);

 private:
  std::unique_ptr<simdjson::dom::parser> parser_;
};

}  // namespace tessvik
