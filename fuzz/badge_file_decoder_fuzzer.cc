// Decodes arbitrary bytes as a badge state file and checks the result
// against a second, independent reading of the same bytes: simdjson's DOM
// walked here directly (numbers judged by JSON's grammar alone, not by
// their value), with keys merged under canonical
// equivalence by ICU's own normalisation. Both readings must accept exactly the same
// files; where they do, the table must hold every key, with the status
// written last, in the order of first appearance; decoding again against
// that table (the re-read path, which shares unchanged keys) must give the
// same table and an empty diff.
#include <simdjson.h>

#include <cstdint>
#include <cstdlib>
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
namespace dom = simdjson::dom;

void check(bool condition) {
  if (!condition) std::abort();
}

struct Entry {
  std::string key;  // as written last
  std::string status;
};

struct Reference {
  bool ok = false;
  std::string root;
  std::vector<Entry> entries;  // in order of first appearance
};

// The badge state file rules, read straight off simdjson's DOM.
Reference readReference(const std::string& bytes) {
  Reference ref;
  std::string_view withMark = bytes;
  if (withMark.starts_with("\xEF\xBB\xBF")) withMark.remove_prefix(3);
  // Numbers count by their syntax alone, whatever their size.
  const std::string text = tessvik::fuzz::numbersAsZero(withMark);
  dom::parser parser;
  dom::element document;
  if (parser.parse(text.data(), text.size(), true).get(document) != simdjson::SUCCESS) return ref;
  dom::object top;
  if (document.get_object().get(top) != simdjson::SUCCESS) return ref;
  dom::element root, files;
  bool hasRoot = false, hasFiles = false;
  for (dom::key_value_pair member : top) {
    if (member.key == "root") root = member.value, hasRoot = true;
    if (member.key == "files") files = member.value, hasFiles = true;
  }
  if (!hasRoot || !hasFiles || !root.is_string() || !files.is_object()) return ref;
  ref.root = std::string(root.get_string().value_unsafe());
  std::map<std::string, std::size_t> placeOf;  // NFC key -> index in entries
  dom::object filesObject;
  if (files.get_object().get(filesObject) != simdjson::SUCCESS) return ref;
  for (dom::key_value_pair member : filesObject) {
    std::string_view status;
    if (member.value.get_string().get(status) != simdjson::SUCCESS) return ref;
    Entry entry{std::string(member.key), std::string(status)};
    auto [it, inserted] = placeOf.try_emplace(tessvik::fuzz::nfc(member.key), ref.entries.size());
    if (inserted) {
      ref.entries.push_back(std::move(entry));
    } else {
      ref.entries[it->second] = std::move(entry);
    }
  }
  ref.ok = true;
  return ref;
}

void checkTableAgainst(const StatusTable& table, const Reference& ref) {
  check(table.size() == ref.entries.size());
  for (std::size_t i = 0; i < ref.entries.size(); ++i) {
    check(table.keyAt(i) == ref.entries[i].key);
    check(table.statusAt(i) == ref.entries[i].status);
    const std::optional<std::string_view> found = table.find(ref.entries[i].key);
    check(found && *found == ref.entries[i].status);
    // Under canonical equivalence, the NFC spelling finds it too.
    const std::optional<std::string_view> byNfc =
        table.find(tessvik::fuzz::nfc(ref.entries[i].key));
    check(byNfc && *byNfc == ref.entries[i].status);
  }
}

// The bytes as the real reader leaves them, with room past the end so that
// the decoder reads them in place and writes the keys over them.
tessvik::FlatArray<char> readerBuffer(const std::string& bytes) {
  tessvik::FlatArray<char> buffer;
  buffer.reserve(bytes.size() + simdjson::SIMDJSON_PADDING);
  buffer.assign(bytes.data(), bytes.size());
  return buffer;
}

// A previous state whose first half is the file's and whose rest differs:
// a re-read then shares keys, stops, and writes the rest of its own.
StatusTable halfTheSame(const Reference& ref) {
  StatusTable::Builder builder;
  for (std::size_t i = 0; i < ref.entries.size() / 2; ++i) {
    check(builder.add(ref.entries[i].key, ref.entries[i].status).ok());
  }
  check(builder.add("\x01 not a key of the file", "synced").ok());
  return std::move(builder).finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const Reference ref = readReference(bytes);

  tessvik::BadgeFileDecoder decoder;
  tessvik::FlatArray<char> buffer = readerBuffer(bytes);
  Result<BadgeFile> decoded = decoder.decodeInPlace(buffer);
  check(decoded.ok() == ref.ok);
  if (!decoded) {
    check(!decoded.error().description.empty());
    return 0;
  }
  const BadgeFile& file = decoded.value();
  check(file.root == ref.root);
  checkTableAgainst(file.files, ref);

  // The re-read path: same bytes against the table just built.
  buffer = readerBuffer(bytes);
  Result<BadgeFile> again = decoder.decodeInPlace(buffer, file.files);
  check(again.ok());
  checkTableAgainst(again.value().files, ref);
  std::size_t changes = 0;
  again.value().files.diff(file.files, [&](std::string_view, std::string_view) { ++changes; });
  check(changes == 0);
  file.files.diff(StatusTable(), [&](std::string_view, std::string_view) { ++changes; });
  check(changes == ref.entries.size());

  // Against a state that holds only the first half of the keys.
  const StatusTable half = halfTheSame(ref);
  buffer = readerBuffer(bytes);
  Result<BadgeFile> halfway = decoder.decodeInPlace(buffer, half);
  check(halfway.ok());
  checkTableAgainst(halfway.value().files, ref);

  // A table handed back for recycling, then bytes with no room past their
  // end, which are copied first.
  decoder.recycle(std::move(decoded).value().files);
  tessvik::FlatArray<char> tight;
  tight.assign(bytes.data(), bytes.size());
  tight.shrinkToFit();
  Result<BadgeFile> recycled = decoder.decodeInPlace(tight, again.value().files);
  check(recycled.ok());
  checkTableAgainst(recycled.value().files, ref);
  check(decoder.decode(bytes, half).ok());
  decoder.releaseMemory();
  return 0;
}
