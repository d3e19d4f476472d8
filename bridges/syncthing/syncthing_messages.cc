#include "bridges/syncthing/syncthing_messages.h"

#include <simdjson.h>

#include <utility>

namespace tessvik::syncthing {
namespace {

using simdjson::SUCCESS;
namespace dom = simdjson::dom;

Error garbled(std::string_view what, std::string_view why) {
  return inputError("réponse inattendue de Syncthing (" + std::string(what) +
                    ") : " + std::string(why));
}

// Parses `json` into `parser`'s document.
Result<dom::element> parse(dom::parser& parser, std::string_view json, std::string_view what) {
  dom::element root;
  if (auto error = parser.parse(json.data(), json.size()).get(root); error != SUCCESS)
    return garbled(what, simdjson::error_message(error));
  return root;
}

// A string member, "" when absent or null; false when of another type.
bool optionalString(dom::object object, std::string_view key, std::string& out) {
  dom::element value;
  if (object[key].get(value) != SUCCESS || value.is_null()) {
    out.clear();
    return true;
  }
  std::string_view text;
  if (value.get(text) != SUCCESS) return false;
  out.assign(text);
  return true;
}

// Appends the names of `array` (an array of objects with a "name", or
// null) to `paths`; false when it is something else.
bool appendNames(dom::element array, std::vector<std::string>& paths, std::string_view key) {
  if (array.is_null()) return true;
  dom::array items;
  if (array.get(items) != SUCCESS) return false;
  for (dom::element item : items) {
    std::string_view name;
    if (item[key].get(name) != SUCCESS) return false;
    paths.emplace_back(name);
  }
  return true;
}

bool flatten(dom::array items, const std::string& parent, std::vector<IndexEntry>& out) {
  for (dom::element item : items) {
    std::string_view name, type;
    if (item["name"].get(name) != SUCCESS || item["type"].get(type) != SUCCESS) return false;
    IndexEntry entry{parent.empty() ? std::string(name) : parent + "/" + std::string(name),
                     type == "FILE_INFO_TYPE_DIRECTORY"};
    std::string path = entry.path;
    out.push_back(std::move(entry));
    dom::array children;
    if (item["children"].get(children) == SUCCESS && !flatten(children, path, out)) return false;
  }
  return true;
}

Event::Kind kindOf(std::string_view type) {
  using Kind = Event::Kind;
  if (type == "ItemStarted") return Kind::kItemStarted;
  if (type == "ItemFinished") return Kind::kItemFinished;
  if (type == "FolderErrors") return Kind::kFolderErrors;
  if (type == "LocalIndexUpdated" || type == "RemoteIndexUpdated") return Kind::kIndexUpdated;
  if (type == "FolderSummary") return Kind::kFolderSummary;
  if (type == "ConfigSaved" || type == "FolderPaused" || type == "FolderResumed")
    return Kind::kConfigChanged;
  return Kind::kOther;
}

}  // namespace

Result<std::vector<FolderConfig>> decodeFolders(std::string_view json) {
  constexpr std::string_view what = "dossiers";
  dom::parser parser;
  Result<dom::element> root = parse(parser, json, what);
  if (!root) return root.error();
  dom::array folders;
  if (root.value().get(folders) != SUCCESS) return garbled(what, "une liste était attendue");
  std::vector<FolderConfig> out;
  for (dom::element element : folders) {
    dom::object folder;
    FolderConfig config;
    std::string_view id, path;
    if (element.get(folder) != SUCCESS || folder["id"].get(id) != SUCCESS ||
        folder["path"].get(path) != SUCCESS || !optionalString(folder, "label", config.label))
      return garbled(what, "un dossier sans identifiant ni chemin");
    config.id = id;
    config.path = path;
    bool paused = false;
    if (folder["paused"].get(paused) == SUCCESS) config.paused = paused;
    out.push_back(std::move(config));
  }
  return out;
}

Result<std::vector<IndexEntry>> decodeBrowse(std::string_view json) {
  constexpr std::string_view what = "index du dossier";
  dom::parser parser;
  Result<dom::element> root = parse(parser, json, what);
  if (!root) return root.error();
  std::vector<IndexEntry> out;
  dom::array items;
  if (root.value().is_null()) return out;  // an empty folder
  if (root.value().get(items) != SUCCESS || !flatten(items, "", out))
    return garbled(what, "une liste d'éléments nommés était attendue");
  return out;
}

Result<std::vector<std::string>> decodeNeed(std::string_view json) {
  constexpr std::string_view what = "éléments attendus";
  dom::parser parser;
  Result<dom::element> root = parse(parser, json, what);
  if (!root) return root.error();
  std::vector<std::string> out;
  for (const char* list : {"progress", "queued", "rest"}) {
    dom::element names;
    if (root.value()[list].get(names) != SUCCESS || !appendNames(names, out, "name"))
      return garbled(what, std::string("« ") + list + " » manque ou n'est pas une liste");
  }
  return out;
}

Result<std::vector<std::string>> decodeFolderErrors(std::string_view json) {
  constexpr std::string_view what = "erreurs du dossier";
  dom::parser parser;
  Result<dom::element> root = parse(parser, json, what);
  if (!root) return root.error();
  std::vector<std::string> out;
  dom::element errors;
  if (root.value()["errors"].get(errors) != SUCCESS || !appendNames(errors, out, "path"))
    return garbled(what, "« errors » manque ou n'est pas une liste");
  return out;
}

Result<std::string> decodeStartTime(std::string_view json) {
  constexpr std::string_view what = "état du système";
  dom::parser parser;
  Result<dom::element> root = parse(parser, json, what);
  if (!root) return root.error();
  std::string_view startTime;
  if (root.value()["startTime"].get(startTime) != SUCCESS)
    return garbled(what, "« startTime » manque");
  return std::string(startTime);
}

Result<std::vector<Event>> decodeEvents(std::string_view json) {
  constexpr std::string_view what = "événements";
  dom::parser parser;
  Result<dom::element> root = parse(parser, json, what);
  if (!root) return root.error();
  dom::array events;
  if (root.value().get(events) != SUCCESS) return garbled(what, "une liste était attendue");
  std::vector<Event> out;
  for (dom::element element : events) {
    Event event;
    std::string_view type;
    dom::object data;
    if (element["id"].get(event.id) != SUCCESS || element["type"].get(type) != SUCCESS)
      return garbled(what, "un événement sans numéro ni type");
    event.kind = kindOf(type);
    if (event.kind != Event::Kind::kOther && event.kind != Event::Kind::kConfigChanged) {
      std::string error;
      if (element["data"].get(data) != SUCCESS || !optionalString(data, "folder", event.folder) ||
          !optionalString(data, "item", event.item) || !optionalString(data, "error", error))
        return garbled(what, "un événement « " + std::string(type) + " » mal formé");
      event.failed = !error.empty();
      dom::element errors;
      if (event.kind == Event::Kind::kFolderErrors &&
          (data["errors"].get(errors) != SUCCESS || !appendNames(errors, event.errorPaths, "path")))
        return garbled(what, "un événement « FolderErrors » sans liste d'erreurs");
    }
    out.push_back(std::move(event));
  }
  return out;
}

}  // namespace tessvik::syncthing
