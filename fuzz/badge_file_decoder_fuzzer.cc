// Decodes arbitrary bytes as a badge state file and checks the result
// against a second, independent reading of the same bytes: simdjson's DOM
// walked here directly (numbers judged by JSON's grammar alone, not by
// their value), with keys merged under canonical equivalence by ICU's own
// normalisation. Both readings must accept exactly the same files; where
// they do, the table must hold every key, with the status written last, in
// the order of first appearance; decoding again against that table (the
// re-read path, which shares unchanged keys) must give the same table and
// an empty diff.
#include <simdjson.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fuzz/reference.h"
#include "state/badge_file_decoder.h"
#include "state/status_table_builder.h"

namespace {

using tessvik::BadgeFile;
using tessvik::Result;
using tessvik::StatusTable;
using tessvik::fuzz::check;
// Each key as written last with its status, in the order of first appearance.
using Entries = std::vector<std::pair<std::string, std::string>>;

// The badge state file rules, read straight off simdjson's DOM: the root
// and the entries, or nothing when the file must be refused.
std::optional<std::pair<std::string, Entries>> readReference(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  // Numbers count by their syntax alone, whatever their size.
  const std::string text = tessvik::fuzz::numbersAsZero(bytes);
  simdjson::dom::parser parser;
  simdjson::dom::object top, files;
  if (parser.parse(text.data(), text.size(), true).get(top)) return std::nullopt;
  std::optional<simdjson::dom::element> rootMember, filesMember;
  for (auto [key, value] : top) {
    if (key == "root") rootMember = value;
    if (key == "files") filesMember = value;
  }
  std::string_view root;
  if (!rootMember || !filesMember || rootMember->get_string().get(root) ||
      filesMember->get_object().get(files)) {
    return std::nullopt;
  }
  Entries entries;
  std::map<std::string, std::size_t> placeOf;  // NFC key -> its place in entries
  for (auto [key, value] : files) {
    std::string_view status;
    if (value.get_string().get(status)) return std::nullopt;
    auto [it, inserted] = placeOf.try_emplace(tessvik::fuzz::nfc(key).value(), entries.size());
    if (inserted) entries.emplace_back();
    entries[it->second] = {std::string(key), std::string(status)};
  }
  return std::pair{std::string(root), std::move(entries)};
}

void checkTable(const StatusTable& table, const Entries& entries) {
  check(table.size() == entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& [key, status] = entries[i];
    check(table.keyAt(i) == key && table.statusAt(i) == status);
    // Found by its own spelling, and under canonical equivalence by the NFC one.
    check(table.find(key) == status && table.find(tessvik::fuzz::nfc(key).value()) == status);
  }
}

// The bytes as the real reader leaves them, with room past the end so that
// the decoder reads them in place and writes the keys over them; or, when
// `tight`, with none (the decoder copies them first).
tessvik::FlatArray<char> readerBuffer(const std::string& bytes, bool tight) {
  tessvik::FlatArray<char> buffer;
  if (!tight) buffer.reserve(bytes.size() + tessvik::BadgeFileDecoder::kPadding);
  buffer.assign(bytes.data(), bytes.size());
  if (tight) buffer.shrinkToFit();
  return buffer;
}

// A previous state whose first half is the file's and whose rest differs:
// a re-read then shares keys, stops, and writes the rest of its own.
StatusTable halfTheSame(const Entries& entries) {
  StatusTable::Builder builder;
  for (std::size_t i = 0; i < entries.size() / 2; ++i) {
    check(builder.add(entries[i].first, entries[i].second).ok());
  }
  check(builder.add("\x01 not a key of the file", "synced").ok());
  return std::move(builder).finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto reference = readReference(bytes);
  tessvik::BadgeFileDecoder decoder;
  tessvik::FlatArray<char> buffer = readerBuffer(bytes, false);
  Result<BadgeFile> decoded = decoder.decodeInPlace(buffer);
  check(decoded.ok() == reference.has_value());
  if (!decoded) return 0;
  const Entries& entries = reference->second;
  check(decoded.value().root == reference->first);
  checkTable(decoded.value().files, entries);

  const auto reread = [&](const StatusTable& previous, bool tight) {
    buffer = readerBuffer(bytes, tight);
    Result<BadgeFile> file = decoder.decodeInPlace(buffer, previous);
    check(file.ok());
    checkTable(file.value().files, entries);
    return std::move(file).value().files;
  };
  // Against the table just built: nothing changed.
  const StatusTable again = reread(decoded.value().files, false);
  again.diff(decoded.value().files, [](std::string_view, std::string_view) { check(false); });
  // Against a state that holds only the first half of the keys.
  const StatusTable half = halfTheSame(entries);
  reread(half, false);
  // A table handed back for recycling, then bytes with no room past their end.
  decoder.recycle(std::move(decoded).value().files);
  reread(again, true);
  decoder.releaseMemory();
  return 0;
}
