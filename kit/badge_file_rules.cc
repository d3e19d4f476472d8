#include "kit/badge_file_rules.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "state/badge_statuses.h"
#include "text/unicode.h"

namespace tessvik::kit {
namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101;
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;

// 0x80 in each byte of `word` that is `c`, nothing elsewhere.
std::uint64_t bytesEqual(std::uint64_t word, unsigned char c) {
  const std::uint64_t x = word ^ (kOnes * c);
  return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// Whether `key` (not empty) certainly has none of keyProblem()'s problems,
// eight bytes at a time: no NUL, no "/" at the end, and no "/" or "." at the
// start or after a "/", which a "/" at the start, an empty, "." or ".."
// component all have. A key of a hidden file (".git") is looked at again.
bool plainlyFine(std::string_view key) {
  if constexpr (std::endian::native != std::endian::little) return false;
  const std::size_t n = key.size();
  if (n < 8) return false;
  // 0x80 in each byte that is a "/" or "." where none may be, or a NUL.
  const auto misplaced = [](std::uint64_t word, std::uint64_t afterSlash) {
    const std::uint64_t slash = bytesEqual(word, '/');
    return bytesEqual(word, 0) | (((slash << 8) | afterSlash) & (slash | bytesEqual(word, '.')));
  };
  std::uint64_t afterSlash = 0x80;  // the start counts as after a "/"
  std::size_t i = 0;
  for (std::uint64_t word; i + 8 <= n; i += 8) {
    std::memcpy(&word, key.data() + i, 8);
    if (misplaced(word, afterSlash) != 0) return false;
    afterSlash = bytesEqual(word, '/') >> 56;
  }
  if (i < n) {  // the last eight bytes, which overlap those seen
    std::uint64_t word;
    std::memcpy(&word, key.data() + n - 8, 8);
    if (misplaced(word, key[n - 9] == '/' ? 0x80 : 0) != 0) return false;
  }
  return key.back() != '/';
}

}  // namespace

std::optional<std::string> rootProblem(std::string_view root) {
  if (root.empty() || root.front() != '/') return "ce n'est pas un chemin absolu";
  if (root.find('\0') != std::string_view::npos) return "elle contient le caractère NUL";
  return std::nullopt;
}

std::optional<std::string> keyProblem(std::string_view key) {
  if (key.empty() || plainlyFine(key)) return std::nullopt;
  if (key.find('\0') != std::string_view::npos) return "elle contient le caractère NUL";
  if (key.front() == '/') return "elle commence par « / »";
  if (key.back() == '/') return "elle finit par « / »";
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = key.find('/', start);
    const std::string_view part = key.substr(start, slash - start);
    if (part.empty()) return "elle contient « // »";
    if (part == "." || part == "..")
      return "elle contient un composant « " + std::string(part) + " »";
    if (slash == std::string_view::npos) return std::nullopt;
    start = slash + 1;
  }
}

std::optional<std::string> statusProblem(std::string_view status) {
  if (status.empty() || isBadgeStatus(status)) return std::nullopt;
  return "le statut « " + text::toValidUtf8(status) + " » n'est pas une pastille (" +
         badgeStatusList() + ", ou « » pour aucune) : le Finder n'affiche rien";
}

}  // namespace tessvik::kit
