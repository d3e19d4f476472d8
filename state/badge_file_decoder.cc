#include "state/badge_file_decoder.h"

#include <simdjson.h>

#include <string>

namespace tessvik {
namespace {

namespace dom = simdjson::dom;

std::string describe(simdjson::error_code code) {
  switch (code) {
    case simdjson::EMPTY:
      return "le fichier est vide";
    case simdjson::UTF8_ERROR:
      return "le contenu n'est pas de l'UTF-8 valide";
    case simdjson::UNCLOSED_STRING:
      return "une chaîne n'est pas terminée";
    case simdjson::STRING_ERROR:
      return "une chaîne est mal formée";
    case simdjson::UNESCAPED_CHARS:
      return "une chaîne contient un caractère de contrôle";
    case simdjson::NUMBER_ERROR:
      return "un nombre est mal formé";
    case simdjson::T_ATOM_ERROR:
    case simdjson::F_ATOM_ERROR:
    case simdjson::N_ATOM_ERROR:
      return "une valeur true, false ou null est mal écrite";
    case simdjson::DEPTH_ERROR:
      return "le document est imbriqué trop profondément";
    case simdjson::CAPACITY:
      return "le document est trop volumineux";
    case simdjson::MEMALLOC:
      return "mémoire insuffisante pour lire le document";
    case simdjson::INCOMPLETE_ARRAY_OR_OBJECT:
      return "le document est incomplet";
    case simdjson::TAPE_ERROR:
      return "la structure du document est invalide (virgule, accolade ou clé manquante ou en "
             "trop)";
    default:
      // simdjson's own texts are English: give the code, not the text.
      return "le contenu n'est pas du JSON valide (erreur " +
             std::to_string(static_cast<int>(code)) + ")";
  }
}

Error failure(std::string description) {
  return decodingError(std::move(description));
}

Error notAString(std::string_view key) {
  return failure("la valeur de « " + std::string(key) + " » dans « files » n'est pas une chaîne");
}

// The keys' total size, so that the table is built without growing an
// array; on the way, the first value that is not a string fails the file
// before anything is built.
Result<std::size_t> keyBytesOf(dom::object files) {
  std::size_t keyBytes = 0;
  for (dom::key_value_pair member : files) {
    if (!member.value.is_string()) return notAString(member.key);
    keyBytes += member.key.size();
  }
  return keyBytes;
}

Result<StatusTable> decodeFiles(dom::object files, StatusTable&& recycled,
                                const StatusTable* previous) {
  StatusTable::Builder builder(std::move(recycled));
  if (previous != nullptr) {
    // The keys are most likely the previous ones, whose size is known.
    builder.reserve(files.size(), 0);
    builder.resemble(*previous);
  } else {
    Result<std::size_t> keyBytes = keyBytesOf(files);
    if (!keyBytes) return keyBytes.error();
    builder.reserve(files.size(), keyBytes.value());
  }
  // A file decodes whole or not at all: on a value that is not a string, the
  // builder and all it holds are dropped.
  for (dom::key_value_pair member : files) {
    std::string_view status;
    if (member.value.get_string().get(status) != simdjson::SUCCESS) return notAString(member.key);
    if (!builder.add(member.key, status)) return failure("le membre « files » est trop volumineux");
  }
  return std::move(builder).finish();
}

}  // namespace

BadgeFileDecoder::BadgeFileDecoder() : parser_(std::make_unique<dom::parser>()) {}
BadgeFileDecoder::~BadgeFileDecoder() = default;
BadgeFileDecoder::BadgeFileDecoder(BadgeFileDecoder&&) noexcept = default;
BadgeFileDecoder& BadgeFileDecoder::operator=(BadgeFileDecoder&&) noexcept = default;

void BadgeFileDecoder::releaseMemory() {
  // Called at every quiet tick: nothing to do most of the time. A parser
  // allocates nothing until its first parse.
  if (parser_->capacity() > 0) parser_ = std::make_unique<dom::parser>();
  spare_ = StatusTable();
}

Result<BadgeFile> BadgeFileDecoder::decode(const std::string& bytes) {
  return decode(bytes, nullptr);
}

Result<BadgeFile> BadgeFileDecoder::decode(const std::string& bytes, const StatusTable& previous) {
  return decode(bytes, &previous);
}

Result<BadgeFile> BadgeFileDecoder::decode(const std::string& bytes, const StatusTable* previous) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  const size_t skip =
      std::string_view(bytes).starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  const bool padded = bytes.capacity() - bytes.size() >= simdjson::SIMDJSON_PADDING;
  dom::element document;
  if (auto error =
          parser_->parse(bytes.data() + skip, bytes.size() - skip, !padded).get(document)) {
    return failure(describe(error));
  }
  dom::object top;
  if (document.get_object().get(top) != simdjson::SUCCESS) {
    return failure("le document n'est pas un objet JSON");
  }
  // A member named twice counts as written last.
  std::optional<dom::element> rootMember;
  std::optional<dom::element> filesMember;
  for (dom::key_value_pair member : top) {
    if (member.key == "root") {
      rootMember = member.value;
    } else if (member.key == "files") {
      filesMember = member.value;
    }
  }
  std::string_view root;
  if (!rootMember) return failure("le membre « root » est absent");
  if (rootMember->get_string().get(root) != simdjson::SUCCESS) {
    return failure("le membre « root » n'est pas une chaîne");
  }
  dom::object files;
  if (!filesMember) return failure("le membre « files » est absent");
  if (filesMember->get_object().get(files) != simdjson::SUCCESS) {
    return failure("le membre « files » n'est pas un objet");
  }
  Result<StatusTable> table = decodeFiles(files, std::move(spare_), previous);
  if (!table) return table.error();
  return BadgeFile{std::string(root), std::move(table).value()};
}

}  // namespace tessvik
