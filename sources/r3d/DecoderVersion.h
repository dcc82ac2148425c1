// Version triples of the decoding library and of Stereolint's decoder layer,
// and the layer's own identity.
#pragma once

#include <string>
#include <tuple>

namespace stereolint {

// major.minor.patch; triples compare major first, then minor, then patch.
struct DecoderVersion {
  unsigned major = 0;
  unsigned minor = 0;
  unsigned patch = 0;
};

inline bool operator<(const DecoderVersion& a, const DecoderVersion& b) {
  return std::tie(a.major, a.minor, a.patch) < std::tie(b.major, b.minor, b.patch);
}
inline bool operator==(const DecoderVersion& a, const DecoderVersion& b) {
  return std::tie(a.major, a.minor, a.patch) == std::tie(b.major, b.minor, b.patch);
}

// "7.0.3".
inline std::string decoderVersionText(const DecoderVersion& version) {
  return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
         std::to_string(version.patch);
}

// The decoder layer built into Stereolint: what a library must reach at least
// and may demand at most.
constexpr DecoderVersion layerVersion{7, 0, 3};
constexpr const char* layerBuildName = "35I46";
constexpr const char* layerBuildDate = "20171005";
constexpr const char* layerBanner = "R3DAPI 7.0.3-35I46 (20171005 W32S)";

}  // namespace stereolint
