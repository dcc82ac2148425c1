// A value, or the reason there is none: how every layer below the run
// pipeline hands a failure up. The reason is a sentence for the user ("Cannot
// read the image a.png: the file is truncated"); the pipeline decides whether
// it becomes an error or a warning block, and what it does to the exit code.
// Nothing below the pipeline prints or exits.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace stereolint {

// What went wrong, in words for the user, and what it concerns: one word
// the console log shows in brackets after the run phase ("input", "R3D",
// "frames"), empty when the reporter chooses.
struct Failure {
  std::string message;
  std::string topic;
};

template <typename T>
class Expected {
 public:
  Expected(T value) : content(std::move(value)) {}  // NOLINT: implicit on purpose
  Expected(Failure failure) : problem(std::move(failure)) {}  // NOLINT

  bool ok() const { return content.has_value(); }
  explicit operator bool() const { return ok(); }

  // The value; only when ok().
  T& value() { return *content; }
  const T& value() const { return *content; }
  T& operator*() { return *content; }
  T* operator->() { return &*content; }
  const T* operator->() const { return &*content; }

  // The reason; empty when ok().
  const Failure& failure() const { return problem; }
  const std::string& error() const { return problem.message; }

 private:
  std::optional<T> content;
  Failure problem;
};

}  // namespace stereolint
