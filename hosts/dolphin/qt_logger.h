// The extension's log on Qt's logging: one category, named after the
// identity ("com.tessvik.tessvik.finder.badges"), which QT_LOGGING_RULES
// selects like any other.
#pragma once

#include <QLoggingCategory>
#include <string>

#include "host/logger.h"

namespace tessvik {

// Errors go out as Qt warnings, progress as Qt info messages, which the
// category drops unless a logging rule turns them on ("<category>.info=true"):
// a reload every second is no news, as in the GLib hosts. Main loop only.
class QtLogger final : public Logger {
 public:
  explicit QtLogger(LogIdentity identity)
      : name_(std::string(identity.subsystem) + "." + identity.category),
        category_(name_.c_str(), QtWarningMsg) {}
  QtLogger(const QtLogger&) = delete;
  QtLogger& operator=(const QtLogger&) = delete;

  bool isEnabled(LogLevel level) const override;
  void log(LogLevel level, std::string_view format,
           std::initializer_list<LogArgument> args) override;

 private:
  std::string name_;  // the category keeps a pointer to it
  QLoggingCategory category_;
};

}  // namespace tessvik
