// What a host's boundary logs of an exception it stops.
#pragma once

#include <exception>

namespace tessvik {

// The text of the exception being handled: its what() for a std::exception,
// "inconnue" for anything else. Call only from inside a catch block.
inline const char* currentExceptionText() noexcept {
  try {
    throw;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "inconnue";
  }
}

}  // namespace tessvik
