// The simulated Finder's command line.
#pragma once

#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "base/error.h"

namespace tessvik::sim {

struct Options {
  // --home DIR: the home directory the simulated user database reports.
  std::optional<std::string> home;
  // --without-symbol NAME (repeatable): symbols the simulated system lacks.
  std::set<std::string> missingSymbols;
  bool help = false;
  bool version = false;
};

// Parses the arguments after the program name. Each option with a value
// takes it as the next argument or after "=" ("--home=DIR"). A mistake is an
// input error whose French description names the culprit.
Result<Options> parseCommandLine(std::span<const std::string_view> args);

// What --help prints (French).
std::string usageText();

}  // namespace tessvik::sim
