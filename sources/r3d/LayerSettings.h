// The decoder layer's key/value settings, owned by the layer and handed to
// every library's initialise function as a LayerSettingsRecord
// (DecoderInterface.h).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "sources/r3d/DecoderInterface.h"

namespace stereolint {

class LayerSettings {
 public:
  LayerSettings();
  // The record points into this object, so it is neither copied nor moved.
  LayerSettings(const LayerSettings&) = delete;
  LayerSettings& operator=(const LayerSettings&) = delete;

  // Sets or replaces the value of `key`.
  void setNumber(std::uint64_t key, std::int64_t value);
  void setText(std::uint64_t key, std::string value);

  // The settings as the library sees them, entries in ascending key order.
  // Valid until the next change or the end of this object.
  const LayerSettingsRecord* record() const { return &view; }

 private:
  void rebuildView();

  std::map<std::uint64_t, std::variant<std::int64_t, std::string>> values;
  std::vector<LayerSettingEntry> entries;
  LayerSettingsRecord view{};
};

}  // namespace stereolint
