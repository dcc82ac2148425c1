#include "sources/r3d/LayerSettings.h"

namespace stereolint {

LayerSettings::LayerSettings() { rebuildView(); }

void LayerSettings::setNumber(std::uint64_t key, std::int64_t value) {
  values[key] = value;
  rebuildView();
}

void LayerSettings::setText(std::uint64_t key, std::string value) {
  values[key] = std::move(value);
  rebuildView();
}

// Replacing a text may move its characters, so the entries are made anew
// after every change rather than patched.
void LayerSettings::rebuildView() {
  entries.clear();
  for (const auto& [key, value] : values) {
    if (const auto* text = std::get_if<std::string>(&value)) {
      entries.push_back({key, 0, text->c_str()});
    } else {
      entries.push_back({key, std::get<std::int64_t>(value), nullptr});
    }
  }
  view.version = 1;
  view.count = static_cast<std::uint32_t>(entries.size());
  view.entries = entries.data();
}

}  // namespace stereolint
