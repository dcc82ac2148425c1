// An optional value kept on the heap: a pointer's size when empty, for a
// part of a record that most records lack but that a run keeps for every
// frame of a take (std::optional would hold the whole value's room in each).
// Copies copy the value; it reads and compares as std::optional does.
#pragma once

#include <memory>
#include <optional>
#include <utility>

namespace stereolint::qc {

template <typename T>
class BoxedOptional {
 public:
  BoxedOptional() = default;
  BoxedOptional(std::nullopt_t) {}
  BoxedOptional(T value) : box(std::make_unique<T>(std::move(value))) {}
  BoxedOptional(const std::optional<T>& value) {
    if (value) box = std::make_unique<T>(*value);
  }
  BoxedOptional(const BoxedOptional& other) {
    if (other.box) box = std::make_unique<T>(*other.box);
  }
  BoxedOptional(BoxedOptional&&) noexcept = default;
  BoxedOptional& operator=(const BoxedOptional& other) {
    if (this != &other) box = other.box ? std::make_unique<T>(*other.box) : nullptr;
    return *this;
  }
  BoxedOptional& operator=(BoxedOptional&&) noexcept = default;

  bool has_value() const { return box != nullptr; }
  explicit operator bool() const { return has_value(); }
  // Like std::optional's: only when there is a value.
  T& operator*() { return *box; }
  const T& operator*() const { return *box; }
  T* operator->() { return box.get(); }
  const T* operator->() const { return box.get(); }
  void reset() { box.reset(); }

  bool operator==(const BoxedOptional& other) const {
    return box && other.box ? *box == *other.box : box == other.box;
  }
  bool operator!=(const BoxedOptional& other) const { return !(*this == other); }

 private:
  std::unique_ptr<T> box;
};

}  // namespace stereolint::qc
