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

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The name of the item a URL hands on, for people: the last segment of its
// `path` query value, percent-decoded; the URL itself when it has none.
std::string itemNameOf(std::string_view url) {
  const std::size_t query = url.find('?');
  if (query == std::string_view::npos) return std::string(url);
  std::string_view path;
  for (std::string_view rest = url.substr(query + 1); !rest.empty();) {
    const std::size_t amp = rest.find('&');
    const std::string_view field = rest.substr(0, amp);
    if (field.starts_with("path=")) path = field.substr(5);
    rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
  }
  std::string decoded;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const int high = i + 2 < path.size() && path[i] == '%' ? hexValue(path[i + 1]) : -1;
    const int low = high >= 0 ? hexValue(path[i + 2]) : -1;
    if (low >= 0) {
      decoded += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      decoded += path[i];
    }
  }
  while (decoded.size() > 1 && decoded.back() == '/') decoded.pop_back();
  const std::size_t slash = decoded.rfind('/');
  std::string name = slash == std::string::npos || slash + 1 == decoded.size()
                         ? decoded
                         : decoded.substr(slash + 1);
  return name.empty() ? std::string(url) : name;
}

}  // namespace

bool HandlerWorkspace::openUrl(std::string_view url) {
  const std::string scheme = schemeOf(url);
  if (!hasHandler_(scheme)) {
    logger_.log(LogLevel::kError, kNoHandlerMessage, {std::string_view(scheme), url});
    if (notify_) {
      notify_(kFailedSummary, formatLogMessage(kNoHandlerBody, {std::string_view(itemNameOf(url)),
                                                                std::string_view(scheme)}));
    }
    return false;
  }
  std::string text(url);
  launch_(text, [this, text](const std::string& reason) {
    logger_.log(LogLevel::kError, kCannotOpenMessage, {std::string_view(text), reason});
    if (notify_) {
      notify_(kFailedSummary, formatLogMessage(kCannotOpenBody, {std::string_view(itemNameOf(text)),
                                                                 std::string_view(reason)}));
    }
  });
  return true;
}

}  // namespace tessvik
