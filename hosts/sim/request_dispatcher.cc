#include "hosts/sim/request_dispatcher.h"

#include <string>
#include <vector>

#include "hosts/sim/json_writer.h"

namespace tessvik::sim {
namespace {

namespace dom = simdjson::dom;

FileUrl urlOfPath(std::string_view path) {
  return FileUrl::fromPath(path, path.ends_with('/'));
}

}  // namespace

RequestDispatcher::RequestDispatcher(std::unique_ptr<FinderSync> extension,
                                     SimController& controller, std::function<void()> fireTimer,
                                     LineOutput& out)
    : extension_(std::move(extension)),
      controller_(controller),
      fireTimer_(std::move(fireTimer)),
      out_(out) {}

RequestDispatcher::~RequestDispatcher() = default;

RequestDispatcher::Outcome RequestDispatcher::handle(std::string_view line) {
  dom::element document;
  // The parser copies the line into its own padded buffer.
  if (parser_.parse(line.data(), line.size()).get(document) != simdjson::SUCCESS) {
    error("requête illisible : la ligne n'est pas un texte JSON valide");
    return Outcome::kGoOn;
  }
  dom::object request;
  if (document.get_object().get(request) != simdjson::SUCCESS) {
    error("requête illisible : la ligne n'est pas un objet JSON");
    return Outcome::kGoOn;
  }
  std::string_view name;
  if (request["request"].get_string().get(name) != simdjson::SUCCESS) {
    error("requête illisible : le membre « request » manque ou n'est pas une chaîne");
    return Outcome::kGoOn;
  }

  if (name == "tick") {
    fireTimer_();
    reply("tick");
  } else if (name == "release") {
    if (extensionGone()) return Outcome::kGoOn;
    extension_.reset();
    reply("release");
  } else if (name == "quit") {
    reply("quit");
    return Outcome::kQuit;
  } else if (name == "badge") {
    badge(request);
  } else if (name == "menu") {
    menu(request);
  } else if (name == "select") {
    select(request);
  } else if (name == "share") {
    if (extensionGone()) return Outcome::kGoOn;
    extension_->share();
    reply("share");
  } else if (name == "toolbar") {
    toolbar();
  } else {
    error("requête inconnue : « " + std::string(name) + " »");
  }
  return Outcome::kGoOn;
}

void RequestDispatcher::rejectOverlongLine() {
  error("requête illisible : la ligne est trop longue");
}

void RequestDispatcher::reply(std::string_view name) {
  JsonWriter json;
  out_.writeLine(json.beginObject().key("reply").value(name).endObject().take());
}

void RequestDispatcher::error(std::string_view message) {
  JsonWriter json;
  json.beginObject().key("reply").value("error").key("message").value(message).endObject();
  out_.writeLine(json.take());
}

bool RequestDispatcher::extensionGone() {
  if (extension_) return false;
  error("l'extension a été libérée");
  return true;
}

void RequestDispatcher::badge(dom::object request) {
  if (extensionGone()) return;
  std::string_view path;
  if (request["path"].get_string().get(path) != simdjson::SUCCESS) {
    error("requête « badge » : « path » doit être une chaîne");
    return;
  }
  extension_->requestBadgeIdentifier(urlOfPath(path));
  reply("badge");
}

void RequestDispatcher::menu(dom::object request) {
  if (extensionGone()) return;
  int64_t kind = -1;
  if (request["kind"].get_int64().get(kind) != simdjson::SUCCESS || kind < 0 || kind > 3) {
    error("requête « menu » : « kind » doit être un entier de 0 à 3");
    return;
  }
  std::optional<Menu> menu = extension_->menu(static_cast<int>(kind));
  JsonWriter json;
  json.beginObject().key("reply").value("menu").key("menu");
  if (!menu) {
    out_.writeLine(json.null().endObject().take());
    return;
  }
  json.beginObject().key("title").value(menu->title).key("items").beginArray();
  for (const MenuItem& item : menu->items) {
    json.beginObject().key("title").value(item.title).key("action").value(item.action);
    json.key("keyEquivalent").value(item.keyEquivalent).key("image");
    if (item.image) {
      json.value(item.image->symbolName);
    } else {
      json.null();
    }
    json.endObject();
  }
  out_.writeLine(json.endArray().endObject().endObject().take());
}

void RequestDispatcher::select(dom::object request) {
  // The selection is the host's own state: it can change after a release.
  static constexpr std::string_view kBadPaths =
      "requête « select » : « paths » doit être une liste de chaînes ou null";
  dom::element paths;
  if (request["paths"].get(paths) != simdjson::SUCCESS) {
    error(kBadPaths);
    return;
  }
  if (paths.is_null()) {
    controller_.select(std::nullopt);
    reply("select");
    return;
  }
  dom::array list;
  if (paths.get_array().get(list) != simdjson::SUCCESS) {
    error(kBadPaths);
    return;
  }
  std::vector<FileUrl> items;
  items.reserve(list.size());
  for (dom::element entry : list) {
    std::string_view path;
    if (entry.get_string().get(path) != simdjson::SUCCESS) {
      error(kBadPaths);
      return;
    }
    items.push_back(urlOfPath(path));
  }
  controller_.select(std::move(items));
  reply("select");
}

void RequestDispatcher::toolbar() {
  if (extensionGone()) return;
  JsonWriter json;
  json.beginObject().key("reply").value("toolbar");
  json.key("name").value(extension_->toolbarItemName());
  json.key("toolTip").value(extension_->toolbarItemToolTip());
  out_.writeLine(json.endObject().take());
}

}  // namespace tessvik::sim
