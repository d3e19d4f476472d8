// The extension's logger: a subsystem and a category, two levels, messages
// given as format strings with "%{public}s" (text) and "%ld" (count).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace tessvik {

enum class LogLevel { kDefault, kError };

// Whose messages a logger writes: the host gives its logger the identity.
struct LogIdentity {
  const char* subsystem;  // a reverse-DNS identifier
  const char* category;
};

// One argument of a message: text for "%{public}s", a count for "%ld".
using LogArgument = std::variant<std::string_view, long>;

// Thread-safety: main loop only.
class Logger {
 public:
  virtual ~Logger() = default;
  // Whether a message at `level` would be kept; callers use it to skip
  // working out costly arguments.
  virtual bool isEnabled(LogLevel level) const = 0;
  // Logs `format` with `args` put in, in order. `format` is one of the
  // program's constant messages; arguments are never read as formats.
  virtual void log(LogLevel level, std::string_view format,
                   std::initializer_list<LogArgument> args) = 0;
};

// `format` with each "%{public}s" and "%ld" replaced by the next argument.
// A placeholder without an argument, or an argument of the other kind, is
// written as "(null)"; extra arguments are dropped.
std::string formatLogMessage(std::string_view format, std::initializer_list<LogArgument> args);

}  // namespace tessvik
