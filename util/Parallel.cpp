#include "util/Parallel.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace stereolint::work {

bool serialRequested() {
  static const bool serial = [] {
    const char* value = std::getenv("STEREOLINT_SERIAL");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
  }();
  return serial;
}

unsigned parallelThreads() {
  static const unsigned threads =
      serialRequested() ? 1U : std::max(1U, std::thread::hardware_concurrency());
  return threads;
}

void parallelFor(size_t count, const std::function<void(size_t)>& body) {
  const size_t threads = std::min<size_t>(parallelThreads(), count);
  if (threads <= 1) {
    for (size_t i = 0; i < count; ++i) body(i);
    return;
  }
  std::vector<std::exception_ptr> errors(count);
  std::atomic<size_t> next{0};
  // Indices are taken one at a time, so uneven calls (tiles with more
  // features, pictures of other sizes) still keep every thread busy.
  const auto work = [&] {
    for (size_t i = next++; i < count; i = next++) {
      try {
        body(i);
      } catch (...) {
        errors[i] = std::current_exception();
      }
    }
  };
  std::vector<std::thread> helpers;
  helpers.reserve(threads - 1);
  for (size_t t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer threads still do all the work
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  for (const std::exception_ptr& error : errors) {
    if (error) std::rethrow_exception(error);
  }
}

void runBeside(const std::function<void()>& first, const std::function<void()>& second) {
  if (parallelThreads() <= 1) {
    first();
    second();
    return;
  }
  std::exception_ptr firstError;
  std::thread helper;
  try {
    helper = std::thread([&] {
      try {
        first();
      } catch (...) {
        firstError = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    first();
    second();
    return;
  }
  std::exception_ptr secondError;
  try {
    second();
  } catch (...) {
    secondError = std::current_exception();
  }
  helper.join();
  if (firstError) std::rethrow_exception(firstError);
  if (secondError) std::rethrow_exception(secondError);
}

}  // namespace stereolint::work
