// The simulated Finder's command line.
#pragma once

#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

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
// takes it as the next argument or after "=" ("--home=DIR"). On a mistake,
// nothing, with `error` set to a French message naming the culprit.
std::optional<Options> parseCommandLine(std::span<const std::string_view> args, std::string& error);

// What --help prints (French).
std::string usageText();

}  // namespace tessvik::sim
