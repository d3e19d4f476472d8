#include "kit/badge_file_writer.h"

#include <simdjson.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "base/json_string.h"
#include "kit/badge_file_rules.h"
#include "kit/key_set.h"
#include "kit/posix_writable_file_system.h"

namespace tessvik::kit {
namespace {

// Bytes gathered before one write(2): large enough that the system call
// costs nothing beside the copy.
constexpr std::size_t kChunk = std::size_t{1} << 20;

constexpr std::int64_t kBillion = 1'000'000'000;

// The longest a writer waits for the clock: the coarsest date step there is
// (FAT's two seconds). A file dated further ahead than that was dated by
// something else, and is not waited for.
constexpr FileTime kMaxWait{2, 0};

bool isUtf8(std::string_view s) {
  // Paths are mostly ASCII, looked at eight bytes at a time: no call
  // through simdjson's dispatch for them.
  std::uint64_t bits = 0;
  std::size_t i = 0;
  for (std::uint64_t word; i + 8 <= s.size(); i += 8) {
    std::memcpy(&word, s.data() + i, 8);
    bits |= word;
  }
  for (; i < s.size(); ++i) bits |= static_cast<unsigned char>(s[i]);
  if ((bits & 0x8080808080808080) == 0) return true;
  return simdjson::validate_utf8(s.data(), s.size());
}

FileTime plus(FileTime t, std::int64_t nanoseconds) {
  t.nanoseconds += nanoseconds;
  t.seconds += t.nanoseconds / kBillion;
  t.nanoseconds %= kBillion;
  return t;
}

FileTime plus(FileTime t, FileTime d) {
  return plus(t, d.seconds * kBillion + d.nanoseconds);
}

// The finest step that `t` suggests the file system keeps: a date with its
// last n digits of nanoseconds zero may come from a file system that keeps
// only 10^n nanoseconds (whole seconds when they are all zero).
std::int64_t stepSuggestedBy(FileTime t) {
  std::int64_t step = 1;
  while (step < kBillion && t.nanoseconds % (step * 10) == 0) step *= 10;
  return step;
}

// Sets the date of `file`, whose date is `now`, to the first date after `old`
// that the file system keeps: the old date plus the finest step that the two
// dates suggest, then coarser steps while the file system rounds the date
// back, up to FAT's two seconds. Returns the date it keeps.
Result<FileTime> dateAfter(WritableFile& file, FileTime old, FileTime now) {
  std::int64_t step = std::min(stepSuggestedBy(old), stepSuggestedBy(now));
  for (;;) {
    if (Result<void> set = file.setModificationTime(plus(old, step)); !set) return set.error();
    Result<FileTime> kept = file.modificationTime();
    if (!kept) return kept.error();
    if (kept.value() > old) return kept.value();
    if (step >= 2 * kBillion) break;
    step = step == kBillion ? 2 * kBillion : step * 10;
  }
  return inputError(
      "le système de fichiers garde la date du fichier précédent : le nouveau "
      "fichier passerait inaperçu");
}

// A leading "." and a ".tmp" suffix: the name fails the extension's test.
// `writer` tells apart the writers of one process; a name left by a process
// that died with the same number is met as EEXIST and another is tried.
std::string temporaryName(std::string_view name, const void* writer, int attempt) {
  // (Appended piece by piece: g++ 12 at -O3 warns wrongly on "." + string.)
  std::string temporary = ".";
  temporary.append(name);
  temporary.append(".").append(std::to_string(::getpid())).append("-");
  temporary.append(std::to_string(reinterpret_cast<std::uintptr_t>(writer) + attempt));
  temporary.append(".tmp");
  return temporary;
}

// Fails when an item of `json`, a whole file as add() writes it, repeats an
// earlier one.
Result<void> eachKeyOnce(std::string json) {
  const simdjson::padded_string padded(json);
  json = std::string();
  simdjson::ondemand::parser parser;
  simdjson::ondemand::document document;
  simdjson::ondemand::object files;
  KeySet keys;
  if (parser.iterate(padded).get(document) || document["files"].get_object().get(files)) {
    return inputError("le fichier écrit ne se relit pas");
  }
  for (auto field : files) {
    std::string_view key;
    if (field.unescaped_key().get(key)) return inputError("le fichier écrit ne se relit pas");
    keys.add(key);
  }
  if (std::vector<KeySet::Repeat> repeats = keys.repeats(); !repeats.empty()) {
    const KeySet::Repeat& first = repeats.front();
    return inputError("l'élément « " + text::toValidUtf8(keys.keyAt(first.index)) + " » (n° " +
                      std::to_string(first.index + 1) + ") " + first.reason);
  }
  return {};
}

}  // namespace

bool isBadgeStateFileName(std::string_view name) {
  return name.starts_with("badges") && name.ends_with(".json");
}

struct BadgeFileWriter::Open {
  std::unique_ptr<WritableFileSystem> owned;  // the real file system, when none was given
  WritableFileSystem* files = nullptr;
  std::string folder;
  std::string target;
  std::string temporary;
  std::string lock;  // the lock file every writer of `target` takes
  std::unique_ptr<WritableFile> file;
  std::string buffer;
  KeyHashes keys;
  bool failed = false;

  // A system error on any file the write goes through (the temporary file,
  // the lock, the folder), told as one on the state file: the user knows no
  // other.
  Error onTarget(Error error) const {
    if (error.code == 0) return error;
    return errorFromErrno(error.code, error.operation, target);
  }

  // A write not committed (abandoned, failed, or a writer moved over) leaves
  // nothing behind.
  ~Open() {
    if (!file) return;
    file.reset();
    (void)files->remove(temporary);
  }
};

Result<BadgeFileWriter> BadgeFileWriter::begin(std::string stateFolder, std::string name,
                                               std::string_view root) {
  auto files = std::make_unique<PosixWritableFileSystem>();
  WritableFileSystem& real = *files;
  Result<BadgeFileWriter> writer = begin(real, std::move(stateFolder), std::move(name), root);
  if (writer) writer.value().open_->owned = std::move(files);
  return writer;
}

Result<BadgeFileWriter> BadgeFileWriter::begin(WritableFileSystem& files, std::string stateFolder,
                                               std::string name, std::string_view root) {
  if (!isBadgeStateFileName(name) || name.find('/') != std::string::npos) {
    return inputError("le nom « " + name +
                      " » ne sera pas lu : il doit commencer par « badges » et finir par "
                      "« .json »");
  }
  if (!isUtf8(root)) return inputError("la racine n'est pas de l'UTF-8 valide");
  if (std::optional<std::string> problem = rootProblem(root)) {
    return inputError("la racine « " + text::toValidUtf8(root) +
                      " » ne convient pas : " + *problem);
  }
  auto open = std::make_unique<Open>();
  open->files = &files;
  open->folder = std::move(stateFolder);
  while (open->folder.size() > 1 && open->folder.back() == '/') open->folder.pop_back();
  open->target = open->folder + "/" + name;
  open->lock = open->folder + "/." + name + ".lock";
  for (int attempt = 0;; ++attempt) {
    open->temporary = open->folder + "/" + temporaryName(name, open.get(), attempt);
    Result<std::unique_ptr<WritableFile>> created = files.createNew(open->temporary);
    if (created) {
      open->file = std::move(created).value();
      break;
    }
    if (created.error().code != EEXIST || attempt == 9) return open->onTarget(created.error());
  }
  open->buffer.reserve(kChunk + 4096);
  open->buffer += "{\"root\":";
  appendJsonQuoted(open->buffer, root);
  open->buffer += ",\"files\":{";
  return BadgeFileWriter(std::move(open));
}

BadgeFileWriter::BadgeFileWriter(std::unique_ptr<Open> open) : open_(std::move(open)) {}
BadgeFileWriter::BadgeFileWriter(BadgeFileWriter&&) noexcept = default;
BadgeFileWriter& BadgeFileWriter::operator=(BadgeFileWriter&&) noexcept = default;

BadgeFileWriter::~BadgeFileWriter() = default;

Result<void> BadgeFileWriter::add(std::string_view relativePath, std::string_view status) {
  if (!isUtf8(relativePath)) {
    return inputError("l'élément n° " + std::to_string(count_ + 1) +
                      " : le chemin n'est pas de l'UTF-8 valide");
  }
  if (!isUtf8(status)) {
    return inputError("l'élément « " + std::string(relativePath) +
                      " » : le statut n'est pas de l'UTF-8 valide");
  }
  if (Result<void> usable = stillOpen(); !usable) return usable;
  const auto refused = [&](const std::string& why) {
    return inputError("l'élément « " + text::toValidUtf8(relativePath) + " » " + why);
  };
  if (std::optional<std::string> problem = keyProblem(relativePath)) {
    // The rules' reasons about a key follow « la clé ».
    return inputError("la clé « " + text::toValidUtf8(relativePath) +
                      " » n'aura jamais de pastille : " + *problem);
  }
  if (std::optional<std::string> problem = statusProblem(status)) {
    return refused("ne s'afficherait jamais : " + *problem);
  }
  open_->keys.add(relativePath);
  std::string& out = open_->buffer;
  // One item per line: a diff, or an error's line number, then points at it.
  out += count_ == 0 ? "\n" : ",\n";
  appendJsonQuoted(out, relativePath);
  // A known status needs no escaping.
  out += ":\"";
  out += status;
  out += '"';
  ++count_;
  if (out.size() >= kChunk) return flush();
  return {};
}

Result<void> BadgeFileWriter::stillOpen() const {
  if (!open_ || !open_->file) return inputError("le fichier d'état est déjà écrit ou abandonné");
  if (open_->failed) return inputError("l'écriture du fichier d'état a déjà échoué");
  return {};
}

Result<void> BadgeFileWriter::flush() {
  Result<void> written = open_->file->write(open_->buffer);
  open_->buffer.clear();
  if (written) return {};
  open_->failed = true;
  return open_->onTarget(written.error());
}

Result<FileTime> BadgeFileWriter::commit() {
  if (Result<void> usable = stillOpen(); !usable) return usable.error();
  Result<FileTime> date = finish();
  if (!date) return open_->onTarget(date.error());
  return date;
}

Result<FileTime> BadgeFileWriter::finish() {
  // Whatever fails from here, the destructor removes the temporary file.
  Open& open = *open_;
  // Items written twice are found all at once, here: by their hashes, and,
  // only where two are equal, by the keys themselves, read back.
  if (open.keys.anyShared()) {
    if (Result<void> written = flush(); !written) return written.error();
    Result<std::string> json = open.file->readBack();
    if (!json) return json.error();
    if (Result<void> once = eachKeyOnce(std::move(json).value() + "}}"); !once) return once.error();
  }
  open.buffer += count_ == 0 ? "}}\n" : "\n}}\n";
  if (Result<void> written = flush(); !written) return written.error();
  // Flushed before the lock: the long part of a large write keeps no other
  // writer waiting.
  if (Result<void> synced = open.file->sync(); !synced) return synced.error();

  // From reading the old file's date to the rename, no other writer of this
  // file moves: two that read the same old date would give two contents the
  // same date, and a reader that saw the first would never read the second.
  Result<std::unique_ptr<FileLock>> held = open.files->lock(open.lock);
  if (!held) return held.error();
  Result<FileTime> date = open.file->modificationTime();
  if (!date) return date.error();
  Result<std::optional<FileTime>> old = open.files->modificationTime(open.target);
  if (!old) return old.error();
  if (old.value() && date.value() <= *old.value()) {
    // Rewrites faster than the dates can show: wait for the clock to reach
    // the old date, so that the new one, a step past it, is never more than
    // a step ahead of the clock.
    const FileTime clock = open.files->now();
    if (clock < *old.value() && *old.value() <= plus(clock, kMaxWait)) {
      open.files->sleepUntil(*old.value());
    }
    date = dateAfter(*open.file, *old.value(), date.value());
    if (!date) return date.error();
    if (Result<void> synced = open.file->sync(); !synced) return synced.error();
  }
  if (Result<void> closed = open.file->close(); !closed) return closed.error();
  if (Result<void> renamed = open.files->rename(open.temporary, open.target); !renamed) {
    return renamed.error();
  }
  open.file.reset();  // renamed: nothing left to remove
  held.value().reset();
  if (Result<void> synced = open.files->syncFolder(open.folder); !synced) return synced.error();
  return date.value();
}

}  // namespace tessvik::kit
