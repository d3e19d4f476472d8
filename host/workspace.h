// The desktop's workspace service: opens a URL with its registered handler.
#pragma once

#include <string_view>

namespace tessvik {

class Workspace {
 public:
  // What every desktop's workspace logs, as an error, URL included, when a
  // URL cannot be handed on: no application for its scheme, or one that
  // would not start.
  static constexpr const char* kNoHandlerMessage =
      "aucune application n'ouvre les adresses « %{public}s: », rien n'a été ouvert : %{public}s";
  static constexpr const char* kCannotOpenMessage =
      "ouverture impossible : %{public}s : %{public}s";

  virtual ~Workspace() = default;
  // Hands `url` to the application registered for its scheme. Returns
  // whether the host accepted it; callers may ignore the answer.
  virtual bool openUrl(std::string_view url) = 0;
};

}  // namespace tessvik
