// Errors as small values, and the one result type the core uses.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace tessvik {

// Not an errno value: the entry exists but is not a regular file (a FIFO, a
// socket, a device), so reading it could block or never end.
inline constexpr int kNotRegularFile = -1;

// A failure reported by the platform or by a decoder. Never thrown.
struct Error {
  // errno value (or kNotRegularFile) for system failures, 0 for decoding failures.
  int code = 0;
  // French text for people: what goes into the log.
  std::string description;
  // Full printed form, with the code, the operation and the path. Two failures
  // with the same description but a different printed form are different errors.
  std::string printed;

  friend bool operator==(const Error&, const Error&) = default;
};

// Turns an errno value from `operation` on `path` into an Error whose
// description is French (every text a user or the log sees is French).
Error errorFromErrno(int err, std::string_view operation, std::string_view path);

// A decoding failure: `description` is French; code is 0.
Error decodingError(std::string description);

// Either a value or an Error. Small by design: the core only asks ok(),
// value() and error().
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit by design
  Result(Error error) : v_(std::in_place_index<1>, std::move(error)) {}  // NOLINT

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  const Error& error() const { return std::get<1>(v_); }

 private:
  std::variant<T, Error> v_;
};

}  // namespace tessvik
