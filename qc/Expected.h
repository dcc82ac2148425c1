// A value or the user-facing message that says why there is none.
//
// Lower layers return this instead of printing or exiting; the run pipeline
// turns the message into the console log's blocks and the exit code.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace stereolint {

// What went wrong, in words a user can act on.
struct Failure {
  std::string message;
};

template <typename T>
class Expected {
 public:
  Expected(T value) : content(std::move(value)) {}    // NOLINT: implicit on purpose
  Expected(Failure failure) : content(std::move(failure)) {}  // NOLINT

  bool ok() const { return std::holds_alternative<T>(content); }
  explicit operator bool() const { return ok(); }

  // Only when ok().
  const T& value() const { return std::get<T>(content); }
  T& value() { return std::get<T>(content); }
  // Only when !ok().
  const std::string& error() const { return std::get<Failure>(content).message; }

 private:
  std::variant<T, Failure> content;
};

}  // namespace stereolint
