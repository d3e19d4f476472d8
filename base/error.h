// Errors as small values, and the one result type that every fallible call
// returns.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace tessvik {

// Not an errno value: the entry exists but is not a regular file (a FIFO, a
// socket, a device), so reading it could block or never end.
inline constexpr int kNotRegularFile = -1;

// A failure reported by the platform, or input that is not what it must be.
// Never thrown: returned in a Result.
struct Error {
  // errno value (or kNotRegularFile) for a system failure; 0 otherwise.
  int code = 0;
  // The system call that failed ("opendir", "read"…) and the path it was
  // given; both empty for a failure that is not the system's.
  std::string operation;
  std::string path;
  // French text for people: what goes into the log.
  std::string description;

  // The full printed form: every field. Two failures with the same
  // description (EMFILE and ENFILE read alike in French) can differ here.
  std::string printed() const;

  friend bool operator==(const Error&, const Error&) = default;
};

// Turns an errno value from `operation` on `path` into an Error whose
// description is French. The one place where errno becomes an Error.
Error errorFromErrno(int err, std::string_view operation, std::string_view path);

// Input that is not what it must be: a badge state file that does not
// decode, a mistaken command line. `description` is French.
Error inputError(std::string description);

// Either a value or an Error.
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

// Success with nothing to return, or an Error.
template <>
class [[nodiscard]] Result<void> {
 public:
  // Not defaulted: `return {}` would then zero the whole Error before
  // constructing it, and hot loops return success a million times a file.
  Result() noexcept {}
  Result(Error error) : error_(std::move(error)) {}  // NOLINT: implicit by design

  bool ok() const { return !error_; }
  explicit operator bool() const { return ok(); }
  const Error& error() const { return *error_; }

 private:
  std::optional<Error> error_;
};

}  // namespace tessvik
