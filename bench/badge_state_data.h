// Badge state files for the benchmarks, made deterministically: the same
// bytes on every run and every machine, so figures can be compared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessvik::bench {

struct GeneratedBadgeFile {
  std::string json;
  std::size_t entries = 0;
  // Byte offset of the quoted status of one entry in the middle of "files":
  // `"synced"` there can be overwritten in place with `"error" ` (the space
  // keeps the length), changing exactly one status.
  std::size_t middleStatusOffset = 0;
};

// A badge state file for `root` with `entries` items laid out as a synced
// tree: folders and files of a user's documents, photos and projects, one
// entry per line. One item in ten has accented or non-Latin letters in its
// path, and one in fifty of those is written decomposed (as HFS+ stores
// names). Most items are "synced"; a few are syncing, in conflict, in error
// or have the empty status.
GeneratedBadgeFile generateBadgeFile(const std::string& root, std::size_t entries,
                                     std::uint64_t seed = 1);

}  // namespace tessvik::bench
