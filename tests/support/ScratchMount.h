// A small file system of the test's own, mounted over an empty folder, to
// meet a full disk or a read-only volume for real. Mounting needs the
// privilege to mount (root in CI); without it the mount is simply absent
// and tests skip.
#pragma once

#include <string>

namespace stereolint::test {

class ScratchMount {
 public:
  // Mounts a tmpfs of `kilobytes` at `folder` (created when missing);
  // `readOnly` mounts it read-only.
  ScratchMount(const std::string& folder, int kilobytes, bool readOnly = false);
  // Unmounts it; what was written is gone.
  ~ScratchMount();
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;

  bool mounted() const { return isMounted; }
  // Why mounting failed, for the skip message.
  const std::string& why() const { return reason; }

 private:
  std::string folder;
  bool isMounted = false;
  std::string reason;
};

}  // namespace stereolint::test
