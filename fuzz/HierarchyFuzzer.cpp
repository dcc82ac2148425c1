// hierarchyItem on the input as a HIERARCHY value, walked item by item from 1
// to the first empty item as the combined checker and the parameter check
// walk it. The items read must rebuild the text up to where the walk stops,
// and the walk must stop only at the text's end or at an empty item.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "checkers/Stereolint.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using stereolint::fuzz::require;
  const std::string text(reinterpret_cast<const char*>(data), size);

  std::string walked;
  int n = 1;
  for (;; ++n) {
    const std::string item = stereolint::hierarchyItem(text, n);
    if (item.empty()) break;
    require(item.find(';') == std::string::npos, "an item holds no ;");
    walked += (n == 1 ? "" : ";") + item;
    require(walked.size() <= text.size(), "the walk ends within the text");
  }
  require(text.compare(0, walked.size(), walked) == 0, "the items rebuild the text");
  const std::string rest = text.substr(walked.size());
  if (n == 1) {
    require(rest.empty() || rest[0] == ';', "the first item is empty only before a ;");
  } else {
    require(rest.empty() || rest == ";" || rest.compare(0, 2, ";;") == 0,
            "the walk stops at the end, a trailing ; or an empty item");
  }
  require(stereolint::hierarchyItem(text, INT_MAX).empty(), "no item lies past the last one");
  for (const int before : {0, -1, INT_MIN}) stereolint::hierarchyItem(text, before);
  return 0;
}
