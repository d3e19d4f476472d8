#include "host/logger.h"

#include <string>

namespace tessvik {

std::string formatLogMessage(std::string_view format, std::initializer_list<LogArgument> args) {
  static constexpr std::string_view kText = "%{public}s";
  static constexpr std::string_view kCount = "%ld";
  std::string out;
  out.reserve(format.size() + 64);
  const LogArgument* next = args.begin();
  size_t i = 0;
  while (i < format.size()) {
    std::string_view rest = format.substr(i);
    const bool text = rest.starts_with(kText);
    const bool count = !text && rest.starts_with(kCount);
    if (!text && !count) {
      out += format[i++];
      continue;
    }
    i += text ? kText.size() : kCount.size();
    const LogArgument* arg = next != args.end() ? next++ : nullptr;
    if (text && arg && std::holds_alternative<std::string_view>(*arg)) {
      out += std::get<std::string_view>(*arg);
    } else if (count && arg && std::holds_alternative<long>(*arg)) {
      out += std::to_string(std::get<long>(*arg));
    } else {
      out += "(null)";
    }
  }
  return out;
}

}  // namespace tessvik
