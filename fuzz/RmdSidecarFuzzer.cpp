// The RMD sidecar test: the input is written as the sidecar of a clip in a
// folder of its own, and both flags are read through the clip path as the
// R3D run reads them, and from the text itself. As neither marker holds a
// line break, a marker on one line is a marker anywhere in the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "sources/r3d/RmdSidecar.h"

namespace {

// A fresh folder for the sidecar, removed when the fuzzer exits.
class SidecarFolder {
 public:
  SidecarFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "stereolint-rmd-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) stereolint::fuzz::require(false, "a temporary folder");
    folder = pattern;
  }
  ~SidecarFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::string clip() const { return (folder / "A001_C002_0101XY_001.R3D").string(); }
  std::string sidecar() const { return (folder / "A001_C002_0101XY_001.RMD").string(); }

 private:
  std::filesystem::path folder;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using stereolint::fuzz::require;
  static const SidecarFolder folder;
  const std::string text(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream sidecar(folder.sidecar(), std::ios::binary | std::ios::trunc);
    sidecar << text;
    require(static_cast<bool>(sidecar), "the sidecar is written");
  }
  const bool horizontal =
      text.find("<fliphorizontal type=\"bool\" value=\"true\"/>") != std::string::npos;
  const bool vertical =
      text.find("<flipvertical type=\"bool\" value=\"true\"/>") != std::string::npos;

  require(stereolint::isFlippedHorizontally(folder.clip()) == horizontal,
          "the horizontal flag is set by its marker alone");
  require(stereolint::isFlippedVertically(folder.clip()) == vertical,
          "the vertical flag is set by its marker alone");
  std::istringstream stream(text);
  const stereolint::SidecarFlags flags = stereolint::readSidecarFlags(stream);
  require(flags.horizontal == horizontal && flags.vertical == vertical,
          "the text is read as the file is");
  return 0;
}
