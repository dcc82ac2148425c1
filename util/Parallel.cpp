#include "util/Parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace stereolint::work {

namespace {

// The helper threads of the process, started once at the first parallel
// call and kept until the process ends. They take tasks from one queue; a
// caller never waits for a task that nobody has taken, because it takes its
// own unclaimed work back (see Batch), so nested and concurrent calls from
// several workers cannot starve each other.
class Pool {
 public:
  using Task = std::function<void()>;

  static Pool& instance() {
    // Never destroyed: helper threads may still wait on the queue while the
    // process ends.
    static Pool* pool = new Pool(parallelThreads() - 1);
    return *pool;
  }

  size_t helpers() const { return started; }

  void submit(Task task) {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      queue.push_back(std::move(task));
    }
    wake.notify_one();
  }

 private:
  explicit Pool(unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
      try {
        std::thread([this] { serve(); }).detach();
        ++started;
      } catch (const std::system_error&) {
        break;  // fewer helpers still do all the work, the caller with them
      }
    }
  }

  void serve() {
    for (;;) {
      Task task;
      {
        std::unique_lock<std::mutex> lock(mutex);
        wake.wait(lock, [this] { return !queue.empty(); });
        task = std::move(queue.front());
        queue.pop_front();
      }
      task();
    }
  }

  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Task> queue;
  size_t started = 0;
};

// The indices of one parallelFor call. Whoever runs the loop (the caller and
// any helper that picks up a ticket) claims indices one at a time, so uneven
// calls still keep every thread busy. The caller waits until every index is
// done; a ticket that starts after all indices were claimed finds nothing to
// do and never touches `body`.
struct Batch {
  Batch(size_t count, const std::function<void(size_t)>& body)
      : count(count), body(&body), errors(count) {}

  void runLoop() {
    for (size_t i = next++; i < count; i = next++) {
      try {
        (*body)(i);
      } catch (...) {
        errors[i] = std::current_exception();
      }
      const std::lock_guard<std::mutex> lock(mutex);
      if (++done == count) finished.notify_all();
    }
  }

  void waitUntilDone() {
    std::unique_lock<std::mutex> lock(mutex);
    finished.wait(lock, [this] { return done == count; });
  }

  const size_t count;
  const std::function<void(size_t)>* body;
  std::vector<std::exception_ptr> errors;
  std::atomic<size_t> next{0};
  std::mutex mutex;
  std::condition_variable finished;
  size_t done = 0;
};

}  // namespace

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
  const size_t tickets = parallelThreads() <= 1 ? 0
                                                : std::min(Pool::instance().helpers(),
                                                           count - std::min<size_t>(count, 1));
  if (tickets == 0) {
    for (size_t i = 0; i < count; ++i) body(i);
    return;
  }
  const auto batch = std::make_shared<Batch>(count, body);
  for (size_t t = 0; t < tickets; ++t) Pool::instance().submit([batch] { batch->runLoop(); });
  batch->runLoop();
  batch->waitUntilDone();
  // The error leaves the batch before it is thrown: a helper may let go of
  // the batch last, and the exception must then not be freed on its thread
  // while this one still reads it.
  for (std::exception_ptr& error : batch->errors) {
    if (!error) continue;
    const std::exception_ptr thrown = std::exchange(error, nullptr);
    batch->errors.clear();
    std::rethrow_exception(thrown);
  }
}

void runBeside(const std::function<void()>& first, const std::function<void()>& second) {
  if (parallelThreads() <= 1 || Pool::instance().helpers() == 0) {
    first();
    second();
    return;
  }
  // `first` goes to a helper; when no helper has taken it by the time
  // `second` is over, the caller runs it itself.
  struct Beside {
    std::atomic<bool> claimed{false};
    std::exception_ptr error;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    const std::function<void()>* first;

    void run() {
      if (claimed.exchange(true)) return;
      try {
        (*first)();
      } catch (...) {
        error = std::current_exception();
      }
      const std::lock_guard<std::mutex> lock(mutex);
      done = true;
      finished.notify_all();
    }
  };
  const auto beside = std::make_shared<Beside>();
  beside->first = &first;
  Pool::instance().submit([beside] { beside->run(); });
  std::exception_ptr secondError;
  try {
    second();
  } catch (...) {
    secondError = std::current_exception();
  }
  beside->run();
  {
    std::unique_lock<std::mutex> lock(beside->mutex);
    beside->finished.wait(lock, [&] { return beside->done; });
  }
  // As in parallelFor: the error leaves what the helper may let go of last.
  if (const std::exception_ptr error = std::exchange(beside->error, nullptr))
    std::rethrow_exception(error);
  if (secondError) std::rethrow_exception(secondError);
}

}  // namespace stereolint::work
