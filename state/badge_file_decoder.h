// Decodes badge state files, strictly: a file decodes whole or not at all.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/error.h"
#include "base/flat_array.h"
#include "state/badge_file.h"

namespace tessvik {

// Holds working memory between files, so that a large file rewritten every
// second is not paid for with fresh memory each time: the first touch of a
// fresh page costs about as much as parsing the bytes on it. That memory is
// large (the parser reserves nearly six times the largest file decoded, of
// which it touches about a quarter of the file's size; a recycled table is
// as large as the state read), so the owner releases it once files stop
// changing: FinderSync does at the first tick that reads no file. While a
// sync client rewrites a file every second it is kept; a quiet folder costs
// only the state itself.
//
// Not thread-safe: one decoder per thread.
class BadgeFileDecoder {
 public:
  // The room past the end of the bytes that the parser needs to read them
  // in place (see decodeInPlace).
  static constexpr std::size_t kPadding = 64;

  BadgeFileDecoder();
  ~BadgeFileDecoder();
  BadgeFileDecoder(BadgeFileDecoder&&) noexcept;
  BadgeFileDecoder& operator=(BadgeFileDecoder&&) noexcept;

  // The BadgeFile in `bytes`, or an Error whose French description says what
  // is wrong: not JSON (anywhere, members it does not use included, or nested
  // deeper than 1024 levels), not an object, "root" missing or not a string, "files"
  // missing or not an object, or a value of "files" that is not a string. A
  // member named twice counts as written last. A leading UTF-8 byte-order
  // mark is skipped.
  //
  // The description ends with where the fault is, « (ligne L, colonne C) »,
  // where it has a place: the text after the document, the end of a file cut
  // short, the opening quote of a string that never ends, the value that is
  // not a string; the line alone for bytes that are not UTF-8. decode()
  // always says it; decodeInPlace() only when the fault comes before any key
  // was written over the bytes (decode a copy of them again to know).
  //
  // The bytes are the decoder's working memory: it may write the table's
  // keys over them, and on success the table may take `bytes` for its keys,
  // which leaves `bytes` empty; otherwise `bytes` keeps its memory (for the
  // next read) and holds nothing useful. So a file read for the first time
  // costs no second copy of its keys. The bytes are read in place when the
  // capacity of `bytes` leaves 64 bytes of room past its end (what
  // FileSystem::readFile leaves when asked), and copied first otherwise.
  Result<BadgeFile> decodeInPlace(FlatArray<char>& bytes);
  // The same, for a file whose previous state was `previous`: a table with
  // the same keys is built faster (see StatusTable::Builder::finish).
  Result<BadgeFile> decodeInPlace(FlatArray<char>& bytes, const StatusTable& previous);

  // The same, for bytes that stay as they are: they are copied first.
  Result<BadgeFile> decode(std::string_view bytes);
  Result<BadgeFile> decode(std::string_view bytes, const StatusTable& previous);

  // Whether the last decode failed where it could not say, the keys before
  // the fault having been written over the bytes: decode a copy of them to
  // know.
  bool placeLost() const { return placeLost_; }

  // Takes a table that is no longer needed: the next decode builds its table
  // in that memory.
  void recycle(StatusTable&& table) { spare_ = std::move(table); }

  // Frees the working memory: the parser's buffers and a recycled table.
  // The next decode allocates afresh.
  void releaseMemory();

 private:
  Result<BadgeFile> decodeInPlace(FlatArray<char>& bytes, const StatusTable* previous);
  Result<BadgeFile> decodeCopy(std::string_view bytes, const StatusTable* previous);
  // `bytes` with at least simdjson's padding of room past their end.
  // `whole`: the bytes as read, when `bytes` is a copy of them.
  Result<BadgeFile> decodePadded(FlatArray<char>& bytes, const StatusTable* previous,
                                 std::optional<std::string_view> whole);

  struct Working;  // the parser, and a padded copy of a file when needed
  std::unique_ptr<Working> working_;
  StatusTable spare_;
  bool placeLost_ = false;
};

}  // namespace tessvik
