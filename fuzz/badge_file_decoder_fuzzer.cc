// Decodes arbitrary bytes as a badge state file and checks the result
// against a second, independent reading of the same bytes: simdjson's DOM
// walked here directly, with keys merged under canonical equivalence by
// ICU's own normalisation. Both readings must accept exactly the same
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
  std::string_view text = bytes;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Room past the end, as the real reader leaves, so that the parser reads in
  // place; the copy without it exercises the other path.
  std::string bytes(reinterpret_cast<const char*>(data), size);
  bytes.reserve(size + simdjson::SIMDJSON_PADDING);
  const Reference ref = readReference(bytes);

  tessvik::BadgeFileDecoder decoder;
  Result<BadgeFile> decoded = decoder.decode(bytes);
  check(decoded.ok() == ref.ok);
  if (!decoded) {
    check(!decoded.error().description.empty());
    return 0;
  }
  const BadgeFile& file = decoded.value();
  check(file.root == ref.root);
  checkTableAgainst(file.files, ref);

  // The re-read path: same bytes against the table just built, then the
  // table handed back for recycling and the bytes decoded once more.
  Result<BadgeFile> again = decoder.decode(bytes, file.files);
  check(again.ok());
  checkTableAgainst(again.value().files, ref);
  std::size_t changes = 0;
  again.value().files.diff(file.files, [&](std::string_view, std::string_view) { ++changes; });
  check(changes == 0);
  file.files.diff(StatusTable(), [&](std::string_view, std::string_view) { ++changes; });
  check(changes == ref.entries.size());

  decoder.recycle(std::move(decoded).value().files);
  std::string unpadded(bytes);
  unpadded.shrink_to_fit();
  Result<BadgeFile> recycled = decoder.decode(unpadded, again.value().files);
  check(recycled.ok());
  checkTableAgainst(recycled.value().files, ref);
  decoder.releaseMemory();
  return 0;
}
