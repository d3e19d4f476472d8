#include "host/handler_workspace.h"

#include <cctype>

namespace tessvik {
namespace {

// The URL's scheme: a letter, then letters, digits, "+", "-" or ".", up to
// the first ":"; "" when it has none.
std::string schemeOf(std::string_view url) {
  const std::size_t colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0) return "";
  const std::string_view scheme = url.substr(0, colon);
  const auto isSchemeChar = [](unsigned char c) {
    return std::isalnum(c) != 0 || c == '+' || c == '-' || c == '.';
  };
  if (std::isalpha(static_cast<unsigned char>(scheme[0])) == 0) return "";
  for (const char c : scheme) {
    if (!isSchemeChar(static_cast<unsigned char>(c))) return "";
  }
  return std::string(scheme);
}

}  // namespace

bool HandlerWorkspace::openUrl(std::string_view url) {
  const std::string scheme = schemeOf(url);
  if (!hasHandler_(scheme)) {
    logger_.log(LogLevel::kError, kNoHandlerMessage, {std::string_view(scheme), url});
    return false;
  }
  std::string text(url);
  launch_(text, [this, text](const std::string& reason) {
    logger_.log(LogLevel::kError, kCannotOpenMessage, {std::string_view(text), reason});
  });
  return true;
}

}  // namespace tessvik
