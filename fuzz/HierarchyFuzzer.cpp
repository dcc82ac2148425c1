// The HIERARCHY value's items, on the input as that value: hierarchyItems,
// which the combined checker and the parameter check walk, must rebuild the
// text up to where it stops, stop only at the text's end or at an empty item.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "checkers/CheckerOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using stereolint::fuzz::require;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> items = stereolint::hierarchyItems(text);

  std::string walked;
  for (const std::string& item : items) {
    require(!item.empty() && item.find(';') == std::string::npos,
            "an item is not empty and holds no ;");
    walked += (walked.empty() ? "" : ";") + item;
  }
  require(text.compare(0, walked.size(), walked) == 0, "the items rebuild the text");
  const std::string rest = text.substr(walked.size());
  if (items.empty()) {
    require(rest.empty() || rest[0] == ';', "the first item is empty only before a ;");
  } else {
    require(rest.empty() || rest == ";" || rest.compare(0, 2, ";;") == 0,
            "the items stop at the end, a trailing ; or an empty item");
  }

  return 0;
}
