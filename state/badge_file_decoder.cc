#include "state/badge_file_decoder.h"

#include <simdjson.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "state/status_table_builder.h"
#include "text/text_place.h"

namespace tessvik {
namespace {

namespace od = simdjson::ondemand;
using simdjson::error_code;
using simdjson::SUCCESS;

// As deep as a document may nest, counting the outermost object or array
// as 1: the limit of simdjson's tree-building parser, so that a file is
// accepted or refused exactly as a reader that builds a tree would.
constexpr int kMaxDepth = static_cast<int>(simdjson::DEFAULT_MAX_DEPTH);

static_assert(BadgeFileDecoder::kPadding >= simdjson::SIMDJSON_PADDING);

std::string describe(error_code code) {
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
    case simdjson::INCORRECT_TYPE:
      // The lazy reader meets a misplaced comma, bracket or value as an
      // unexpected type where the structure said a value or key must be.
      return "la structure du document est invalide (virgule, accolade ou clé manquante ou en "
             "trop)";
    default:
      // simdjson's own texts are English: give the code, not the text.
      return "le contenu n'est pas du JSON valide (erreur " +
             std::to_string(static_cast<int>(code)) + ")";
  }
}

Error failure(std::string description) {
  return inputError(std::move(description));
}

// " (ligne L, colonne C)" for byte `offset` of `text`, the column in
// characters.
std::string placeIn(std::string_view text, std::size_t offset) {
  const std::string_view before = text.substr(0, offset);
  const std::size_t lineStart = before.rfind('\n') + 1;  // 0 when none
  const std::size_t column = text::columnOf(text, lineStart, before.size());
  const std::size_t line =
      1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
  return " (ligne " + std::to_string(line) + ", colonne " + std::to_string(column) + ")";
}

// Where the parser's first pass stopped, which it does not say: the first
// line that is not UTF-8 (the line only: a bad byte is no character to count
// up to), the opening quote of a string that never ends, the first control
// character in a string.
std::string placeOfFirstPassError(std::string_view text, error_code error) {
  if (error == simdjson::UTF8_ERROR) {
    std::size_t line = 1;
    for (std::size_t start = 0; start < text.size(); ++line) {
      const std::size_t end = std::min(text.find('\n', start), text.size());
      if (!simdjson::validate_utf8(text.data() + start, end - start)) {
        return " (ligne " + std::to_string(line) + ")";
      }
      start = end + 1;
    }
    return "";
  }
  if (error != simdjson::UNCLOSED_STRING && error != simdjson::UNESCAPED_CHARS) return "";
  std::size_t opened = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (!inString) {
      if (c == '"') inString = true, opened = i;
    } else if (c == '\\') {
      ++i;
    } else if (c == '"') {
      inString = false;
    } else if (c < 0x20 && error == simdjson::UNESCAPED_CHARS) {
      return placeIn(text, i);
    }
  }
  return inString ? placeIn(text, opened) : "";
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// simdjson reads lazily: a value it is not asked for is skipped, not
// checked. A badge state file must be valid JSON whole, so every member we
// do not use is read through, down to its last string escape, number and
// literal.
error_code checkValue(od::value value, int depth);

error_code checkObject(od::object object, int depth) {
  for (auto member : object) {
    od::field field;
    if (error_code error = std::move(member).get(field)) return error;
    std::string_view key;
    if (error_code error = field.unescaped_key().get(key)) return error;
    if (error_code error = checkValue(field.value(), depth + 1)) return error;
  }
  return SUCCESS;
}

error_code checkArray(od::array array, int depth) {
  for (auto element : array) {
    od::value item;
    if (error_code error = std::move(element).get(item)) return error;
    if (error_code error = checkValue(item, depth + 1)) return error;
  }
  return SUCCESS;
}

// Whether `token` (a scalar's bytes and the blanks after it) is a number as
// JSON writes it: -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?. Only its
// syntax counts: a number in a member the reader ignores fails no file for
// being too large for any machine type (2^64, 1e400, thirty digits).
bool isJsonNumber(std::string_view token) {
  while (!token.empty() && isBlank(token.back())) token.remove_suffix(1);
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < token.size() && token[i] >= '0' && token[i] <= '9') ++i;
    return i - start;
  };
  if (i < token.size() && token[i] == '-') ++i;
  if (i < token.size() && token[i] == '0') {
    ++i;
  } else if (digits() == 0) {
    return false;
  }
  if (i < token.size() && token[i] == '.') {
    ++i;
    if (digits() == 0) return false;
  }
  if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
    ++i;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == token.size();
}

// A scalar's bytes and the blanks after it.
std::string_view tokenOf(od::value& value) {
  return value.raw_json_token();
}
std::string_view tokenOf(od::document& document) {
  std::string_view token;
  return document.raw_json_token().get(token) == SUCCESS ? token : std::string_view();
}

// The checks of a scalar, for a value or for a document that is one. A
// number is only looked at, not read: the object or array around it passes
// over it.
template <class Value>
error_code checkScalar(Value& value, od::json_type type) {
  switch (type) {
    case od::json_type::string: {
      std::string_view text;
      return value.get_string().get(text);
    }
    case od::json_type::number:
      return isJsonNumber(tokenOf(value)) ? SUCCESS : simdjson::NUMBER_ERROR;
    case od::json_type::boolean: {
      // A word that starts like true or false but is not one.
      bool flag;
      error_code error = value.get_bool().get(flag);
      return error == simdjson::INCORRECT_TYPE ? simdjson::T_ATOM_ERROR : error;
    }
    case od::json_type::null: {
      bool isNull = false;
      if (error_code error = value.is_null().get(isNull)) return error;
      return isNull ? SUCCESS : simdjson::N_ATOM_ERROR;
    }
    default:
      return simdjson::TAPE_ERROR;
  }
}

error_code checkValue(od::value value, int depth) {
  od::json_type type;
  if (error_code error = value.type().get(type)) return error;
  if (type == od::json_type::object || type == od::json_type::array) {
    if (depth >= kMaxDepth) return simdjson::DEPTH_ERROR;
    if (type == od::json_type::object) {
      od::object object;
      if (error_code error = value.get_object().get(object)) return error;
      return checkObject(object, depth);
    }
    od::array array;
    if (error_code error = value.get_array().get(array)) return error;
    return checkArray(array, depth);
  }
  return checkScalar(value, type);
}

// Whether the document has been read to its end: anything after its value
// is not JSON.
bool atEnd(od::document& document) {
  const char* location = nullptr;
  return document.current_location().get(location) == simdjson::OUT_OF_BOUNDS;
}

// A document that is not an object, read from `text`: checked whole, so
// that a file that is not JSON at all says so rather than "not an object".
error_code checkDocument(od::document& document, od::json_type type, std::string_view text) {
  error_code error = SUCCESS;
  if (type == od::json_type::array) {
    od::array array;
    error = document.get_array().get(array);
    if (!error) error = checkArray(array, 0);
  } else {
    error = checkScalar(document, type);
  }
  if (error) return error;
  if (type != od::json_type::number) return atEnd(document) ? SUCCESS : simdjson::TAPE_ERROR;
  // A number, only looked at, is at the end when its blanks reach it.
  const std::string_view token = tokenOf(document);
  return token.data() + token.size() == text.data() + text.size() ? SUCCESS : simdjson::TAPE_ERROR;
}

// What reading one "files" object gave: its table, still to be finished,
// or the first key whose value is not a string (the file fails on it,
// unless a later "files" member replaces this one). The table is finished
// only once the whole document is read: it may take the bytes being read
// for its keys.
struct FilesMember {
  std::optional<StatusTable::Builder> builder;
  std::optional<std::string> keyNotAString;
  const char* valueNotAString = nullptr;
};

// The hot loop of a large file: a million members, mostly re-read unchanged.
// Keys and statuses are taken straight from the bytes where they need no
// unescaping, which saves simdjson copying each one, and an unchanged key
// is only compared with the previous table's.
Result<void> readFiles(od::object files, FilesMember& member) {
  StatusTable::Builder& builder = *member.builder;
  bool building = true;
  for (auto entry : files) {
    // Taken by reference: copies of simdjson's small iterator structs here
    // cost more than the rest of the loop.
    if (error_code error = entry.error()) return failure(describe(error));
    od::field& field = entry.value_unsafe();
    const char* keyBegin = field.key().raw();
    od::value& value = field.value();
    // The value's bytes up to the next comma or brace, read without moving
    // on: a string, then perhaps blanks.
    const std::string_view token = value.raw_json_token();
    if (!building || token.empty() || token.front() != '"') {
      std::string_view key;
      if (error_code error = field.unescaped_key().get(key)) return failure(describe(error));
      if (building) {
        // The file fails unless another "files" member follows: the rest of
        // this one is only checked.
        building = false;
        member.keyNotAString = std::string(key);
        member.valueNotAString = token.data();
      }
      if (error_code error = checkValue(value, 2)) return failure(describe(error));
      continue;
    }
    // Between the key's closing quote and the value there are only blanks
    // and the colon simdjson has just checked; after the value's closing
    // quote, only blanks. Anything else is not JSON, checked here rather
    // than trusted.
    const char* keyEnd = token.data() - 1;
    while (isBlank(*keyEnd)) --keyEnd;
    if (*keyEnd != ':') return failure(describe(simdjson::TAPE_ERROR));
    --keyEnd;
    while (isBlank(*keyEnd)) --keyEnd;
    if (*keyEnd != '"' || keyEnd < keyBegin) return failure(describe(simdjson::TAPE_ERROR));
    std::string_view status(token.data() + 1, token.size() - 1);
    while (!status.empty() && isBlank(status.back())) status.remove_suffix(1);
    if (status.empty() || status.back() != '"') return failure(describe(simdjson::TAPE_ERROR));
    status.remove_suffix(1);
    // Bytes without a backslash are the text itself: the UTF-8 and control
    // characters of the whole document were checked before this loop.
    if (std::memchr(status.data(), '\\', status.size()) != nullptr) {
      if (error_code error = value.get_string().get(status)) return failure(describe(error));
    } else {
      od::raw_json_string skipped;
      if (error_code error = value.get_raw_json_string().get(skipped))
        return failure(describe(error));
    }
    const std::string_view written(keyBegin, static_cast<std::size_t>(keyEnd - keyBegin));
    if (builder.addIfUnchanged(written, status)) continue;
    std::string_view key = written;
    const bool escaped = std::memchr(written.data(), '\\', written.size()) != nullptr;
    if (escaped) {
      if (error_code error = field.unescaped_key().get(key)) return failure(describe(error));
    }
    if (Result<void> added = builder.add(key, status, escaped); !added) return added;
  }
  if (!building) member.builder.reset();
  return {};
}

constexpr const char* kTextAfter = "du texte suit la fin du document";

// Where a document whose brackets the parser found unbalanced goes wrong,
// and how: text after its first value, or its end, cut short. Nothing when
// its first value is no object or array.
std::optional<std::pair<std::string, std::size_t>> unbalancedPlace(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  if (i == text.size() || (text[i] != '{' && text[i] != '[')) return std::nullopt;
  std::size_t depth = 0;
  bool inString = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if ((c == '}' || c == ']') && --depth == 0) {
      for (++i; i < text.size() && isBlank(text[i]); ++i) {
      }
      if (i < text.size()) return std::pair<std::string, std::size_t>(kTextAfter, i);
      return std::nullopt;
    }
  }
  std::size_t end = text.size();
  while (end > 0 && isBlank(text[end - 1])) --end;
  return std::pair<std::string, std::size_t>(describe(simdjson::INCOMPLETE_ARRAY_OR_OBJECT), end);
}

}  // namespace

#if defined(__linux__) && defined(MADV_HUGEPAGE)
// The parser's structural index, where its first pass writes the position
// of every token: 4 bytes per byte of the largest file decoded, of which a
// file of a million items touches some 16 MB. For a first load that is
// fresh memory, and touching it page by page costs more than the parse
// itself on a virtual machine: it is offered to huge pages, as FlatArray's
// large blocks are. simdjson keeps its implementation object private and
// offers no allocator, so the member is reached the one way C++ allows from
// outside, through an explicit instantiation (which may name private
// members).
using ImplementationMember =
    std::unique_ptr<simdjson::internal::dom_parser_implementation> od::parser::*;
struct ParserImplementation {
  friend ImplementationMember memberOf(ParserImplementation);
};
template <ImplementationMember kMember>
struct Expose {
  friend ImplementationMember memberOf(ParserImplementation) { return kMember; }
};
template struct Expose<&od::parser::implementation>;

void offerIndexToHugePages(od::parser& parser) {
  const std::unique_ptr<simdjson::internal::dom_parser_implementation>& implementation =
      parser.*memberOf(ParserImplementation{});
  if (!implementation || !implementation->structural_indexes) return;
  constexpr std::uintptr_t kPage = 4096;
  const auto begin = reinterpret_cast<std::uintptr_t>(implementation->structural_indexes.get());
  const std::uintptr_t end = begin + implementation->capacity() * sizeof(std::uint32_t);
  const std::uintptr_t first = (begin + kPage - 1) & ~(kPage - 1);
  const std::uintptr_t last = end & ~(kPage - 1);
  // Only advice: without huge pages the index works all the same. Small
  // indexes stay as they are (they may share pages with other memory).
  if (last >= first + (std::uintptr_t{4} << 20)) {
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
}
#else
void offerIndexToHugePages(od::parser&) {}
#endif

struct BadgeFileDecoder::Working {
  // The reader counts levels too, and with its own checks on (debug builds)
  // stops at its limit: leave room for the deepest level we accept and the
  // values inside it.
  Working() {
    if (parser.allocate(0, kMaxDepth + 2) != SUCCESS) {
      // Out of memory: the first document allocates again, with the
      // reader's default limit.
    }
  }

  od::parser parser;
  FlatArray<char> padded;  // a copy of bytes with no room past their end
};

BadgeFileDecoder::BadgeFileDecoder() : working_(std::make_unique<Working>()) {}
BadgeFileDecoder::~BadgeFileDecoder() = default;
BadgeFileDecoder::BadgeFileDecoder(BadgeFileDecoder&&) noexcept = default;
BadgeFileDecoder& BadgeFileDecoder::operator=(BadgeFileDecoder&&) noexcept = default;

void BadgeFileDecoder::releaseMemory() {
  // Called at every quiet tick: nothing to do most of the time. A parser
  // allocates nothing until its first document.
  if (working_->parser.capacity() > 0 || working_->padded.capacity() > 0) {
    working_ = std::make_unique<Working>();
  }
  spare_ = StatusTable();
}

Result<BadgeFile> BadgeFileDecoder::decodeInPlace(FlatArray<char>& bytes) {
  return decodeInPlace(bytes, nullptr);
}

Result<BadgeFile> BadgeFileDecoder::decodeInPlace(FlatArray<char>& bytes,
                                                  const StatusTable& previous) {
  return decodeInPlace(bytes, &previous);
}

Result<BadgeFile> BadgeFileDecoder::decode(std::string_view bytes) {
  return decodeCopy(bytes, nullptr);
}

Result<BadgeFile> BadgeFileDecoder::decode(std::string_view bytes, const StatusTable& previous) {
  return decodeCopy(bytes, &previous);
}

Result<BadgeFile> BadgeFileDecoder::decodeInPlace(FlatArray<char>& bytes,
                                                  const StatusTable* previous) {
  placeLost_ = false;
  if (bytes.capacity() - bytes.size() < simdjson::SIMDJSON_PADDING) {
    return decodeCopy(std::string_view(bytes.data(), bytes.size()), previous);
  }
  return decodePadded(bytes, previous, std::nullopt);
}

Result<BadgeFile> BadgeFileDecoder::decodeCopy(std::string_view bytes,
                                               const StatusTable* previous) {
  placeLost_ = false;
  FlatArray<char>& padded = working_->padded;
  try {
    padded.reserve(bytes.size() + simdjson::SIMDJSON_PADDING);
  } catch (const std::bad_alloc&) {
    return failure(describe(simdjson::MEMALLOC));
  }
  padded.assign(bytes.data(), bytes.size());
  return decodePadded(padded, previous, bytes);
}

Result<BadgeFile> BadgeFileDecoder::decodePadded(FlatArray<char>& bytes,
                                                 const StatusTable* previous,
                                                 std::optional<std::string_view> whole) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  std::string_view text(bytes.data(), bytes.size());
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  // Where the fault is, said only on failure, and counted in bytes that are
  // still as read: `whole`, or `bytes` until keys are written over them.
  const bool copy = whole.has_value();
  if (!copy) whole = std::string_view(bytes.data(), bytes.size());
  bool wroteOver = false;
  od::document document;
  const auto placed = [&](std::string description, const char* at) {
    if (at != nullptr && (copy || !wroteOver)) {
      description += placeIn(*whole, static_cast<std::size_t>(at - bytes.data()));
    } else {
      placeLost_ = at != nullptr;
    }
    return failure(std::move(description));
  };
  // A fault met while walking the document: where the walk stands, or, past
  // the end, at the end of a file cut short. Brackets that do not pair are
  // found before the walk begins: text after the document, or a cut file.
  const auto atWalk = [&](std::string description) {
    const char* at = nullptr;
    if (document.current_location().get(at) != SUCCESS) {
      std::string_view rest = text;
      while (!rest.empty() && isBlank(rest.back())) rest.remove_suffix(1);
      at = rest.data() + rest.size();
    }
    return placed(std::move(description), at);
  };
  const auto walkError = [&](error_code error) {
    if (error == simdjson::INCOMPLETE_ARRAY_OR_OBJECT) {
      if (auto place = unbalancedPlace(text)) {
        return placed(std::move(place->first), text.data() + place->second);
      }
    }
    return atWalk(describe(error));
  };
  const std::size_t room = bytes.capacity() - bytes.size();
  od::parser& parser = working_->parser;
  if (parser.capacity() < text.size()) {
    if (error_code error = parser.allocate(text.size(), parser.max_depth())) {
      return failure(describe(error));
    }
    offerIndexToHugePages(parser);
  }
  if (error_code error =
          parser.iterate(text.data(), text.size(), text.size() + room).get(document)) {
    return failure(describe(error) + placeOfFirstPassError(*whole, error));
  }
  od::json_type type;
  if (error_code error = document.type().get(type)) return walkError(error);
  if (type != od::json_type::object) {
    if (error_code error = checkDocument(document, type, text)) return walkError(error);
    return failure("le document n'est pas un objet JSON");
  }
  od::object top;
  if (error_code error = document.get_object().get(top)) return walkError(error);

  // A member named twice counts as written last; a member of the wrong type
  // fails the file only once the whole document is known to be JSON.
  std::optional<std::string> root;
  bool rootIsString = false;
  std::optional<FilesMember> files;
  bool filesIsObject = false;
  for (auto member : top) {
    od::field field;
    if (error_code error = std::move(member).get(field)) return walkError(error);
    std::string_view key;
    if (error_code error = field.unescaped_key().get(key)) return walkError(error);
    od::value value = field.value();
    od::json_type valueType;
    if (error_code error = value.type().get(valueType)) return walkError(error);
    error_code error = SUCCESS;
    if (key == "root") {
      rootIsString = valueType == od::json_type::string;
      std::string_view rootText;
      if (rootIsString) {
        error = value.get_string().get(rootText);
      } else {
        error = checkValue(value, 1);
      }
      root = std::string(rootText);
    } else if (key == "files") {
      filesIsObject = valueType == od::json_type::object;
      // An earlier "files" member is dropped unfinished: its keys, written
      // over the bytes already read, are written over again.
      files.emplace();
      if (filesIsObject) {
        od::object object;
        error = value.get_object().get(object);
        if (!error) {
          StatusTable::Builder& builder = files->builder.emplace(std::move(spare_));
          if (previous != nullptr) builder.resemble(*previous);
          builder.expectFileOf(text.size());
          builder.writeKeysOver(bytes);
          wroteOver = true;
          if (Result<void> read = readFiles(object, *files); !read) {
            return atWalk(read.error().description);
          }
        }
      } else {
        error = checkValue(value, 1);
      }
    } else {
      error = checkValue(value, 1);
    }
    if (error) return walkError(error);
  }
  if (!atEnd(document)) return atWalk(kTextAfter);

  if (!root) return failure("le membre « root » est absent");
  if (!rootIsString) return failure("le membre « root » n'est pas une chaîne");
  if (!files) return failure("le membre « files » est absent");
  if (!filesIsObject) return failure("le membre « files » n'est pas un objet");
  if (files->keyNotAString) {
    return placed(
        "la valeur de « " + *files->keyNotAString + " » dans « files » n'est pas une chaîne",
        files->valueNotAString);
  }
  return BadgeFile{*std::move(root), std::move(*files->builder).finish()};
}

}  // namespace tessvik
