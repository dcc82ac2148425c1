#include "support/ScratchMount.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace stereolint::test {

ScratchMount::ScratchMount(const std::string& folder, int kilobytes, bool readOnly)
    : folder(folder) {
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0777";
  const unsigned long flags = readOnly ? MS_RDONLY : 0;
  isMounted = mount("tmpfs", folder.c_str(), "tmpfs", flags, options.c_str()) == 0;
  if (!isMounted) reason = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
}

ScratchMount::~ScratchMount() {
  if (isMounted) umount2(folder.c_str(), MNT_DETACH);
}

}  // namespace stereolint::test
