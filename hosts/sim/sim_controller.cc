#include "hosts/sim/sim_controller.h"

#include <algorithm>
#include <string>

#include "hosts/sim/json_writer.h"

namespace tessvik::sim {
namespace {

void writeImage(JsonWriter& json, const SymbolImage& image) {
  json.beginObject().key("symbol").value(image.symbolName);
  json.key("accessibilityDescription");
  if (image.accessibilityDescription) {
    json.value(*image.accessibilityDescription);
  } else {
    json.null();
  }
  const SymbolConfiguration configuration = image.configuration.value_or(SymbolConfiguration{});
  json.key("pointSize");
  if (configuration.pointSize) {
    json.value(*configuration.pointSize);
  } else {
    json.null();
  }
  json.key("weight");
  if (configuration.weight) {
    json.value(*configuration.weight == FontWeight::kBold ? "bold" : "regular");
  } else {
    json.null();
  }
  json.key("palette").beginArray();
  for (NamedColor color : configuration.palette) json.value(namedColorName(color));
  json.endArray().endObject();
}

}  // namespace

void SimController::setBadgeImage(const SymbolImage& image, std::string_view label,
                                  std::string_view identifier) {
  JsonWriter json;
  json.beginObject().key("event").value("setBadgeImage");
  json.key("identifier").value(identifier).key("label").value(label).key("image");
  writeImage(json, image);
  out_.writeLine(json.endObject().take());
}

void SimController::setBadgeIdentifier(std::string_view identifier, const FileUrl& url) {
  JsonWriter json;
  json.beginObject().key("event").value("setBadgeIdentifier");
  json.key("identifier").value(identifier).key("path").value(url.path()).endObject();
  out_.writeLine(json.take());
}

void SimController::setDirectoryUrls(const std::vector<FileUrl>& urls) {
  std::vector<std::string_view> paths;
  paths.reserve(urls.size());
  for (const FileUrl& url : urls) paths.push_back(url.path());
  // std::string_view compares like memcmp: plain byte order.
  std::sort(paths.begin(), paths.end());
  JsonWriter json;
  json.beginObject().key("event").value("setDirectoryURLs").key("paths").beginArray();
  for (std::string_view path : paths) json.value(path);
  out_.writeLine(json.endArray().endObject().take());
}

}  // namespace tessvik::sim
