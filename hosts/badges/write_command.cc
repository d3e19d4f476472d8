#include "hosts/badges/write_command.h"

#include "hosts/badges/written_layout.h"
#include "kit/badge_file_writer.h"
#include "state/badge_file_decoder.h"

namespace tessvik::badges {
namespace {

Result<void> addLines(kit::BadgeFileWriter& writer, std::string_view input) {
  std::size_t number = 0;
  while (!input.empty()) {
    const std::size_t end = std::min(input.find('\n'), input.size());
    std::string_view line = input.substr(0, end);
    input.remove_prefix(std::min(end + 1, input.size()));
    ++number;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty()) continue;
    const std::size_t gap = line.find_first_of(" \t");
    if (gap == std::string_view::npos) {
      return inputError(
          "ligne " + std::to_string(number) +
          " : il faut « STATUT CHEMIN » (un espace ou une tabulation entre les deux)");
    }
    if (Result<void> added = writer.add(line.substr(gap + 1), line.substr(0, gap)); !added) {
      // A disk that fails is no fault of the line where it happens.
      if (added.error().code != 0) return added.error();
      return inputError("ligne " + std::to_string(number) + " : " + added.error().description);
    }
  }
  return {};
}

}  // namespace

Result<std::string> writeBadgeFile(kit::WritableFileSystem& files, const WriteRequest& request,
                                   std::string_view input) {
  const std::size_t first = input.find_first_not_of(" \t\r\n");
  const bool json = first != std::string_view::npos && input[first] == '{';
  std::optional<Result<BadgeFile>> decoded;
  if (json) {
    // The extension's own decoder: what it refuses is refused here.
    BadgeFileDecoder decoder;
    decoded = decoder.decode(input);
    if (!*decoded) return inputError("entrée illisible : " + decoded->error().description);
  } else if (!request.root) {
    return inputError("des lignes « STATUT CHEMIN » demandent l'option « --racine »");
  }
  const std::string root = request.root ? *request.root : decoded->value().root;
  Result<kit::BadgeFileWriter> writer =
      kit::BadgeFileWriter::begin(files, request.stateDir, request.name, root);
  if (!writer) return writer.error();
  if (json) {
    // The items as written, before the decoder merges one written twice.
    for (const WrittenItem& item : readLayout(input).items) {
      if (Result<void> added = writer.value().add(item.key, item.status); !added) {
        return added.error();
      }
    }
  } else if (Result<void> added = addLines(writer.value(), input); !added) {
    return added.error();
  }
  if (Result<FileTime> written = writer.value().commit(); !written) return written.error();
  return "écrit : " + request.stateDir + "/" + request.name + ", " +
         std::to_string(writer.value().count()) + " élément(s) sous " + root;
}

}  // namespace tessvik::badges
