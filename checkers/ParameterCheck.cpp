#include "checkers/ParameterCheck.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "checkers/CheckerOptions.h"
#include "checkers/algorithms/FeatureAlgorithms.h"
#include "util/Numbers.h"

namespace stereolint {

namespace {

// Matchers that count differing bits: they read only binary (8-bit)
// descriptors and stop at the first frame with floating-point ones.
const char* const kHammingMatchers[] = {"BruteForce-Hamming", "BruteForce-Hamming(2)"};
// Matchers whose index (the library's default KD-tree) reads only
// floating-point descriptors.
const char* const kFloatOnlyMatchers[] = {"FlannBased"};

bool listed(const char* const* begin, const char* const* end, const std::string& name) {
  return std::find_if(begin, end, [&name](const char* entry) { return name == entry; }) != end;
}

std::string problemLine(const std::string& key, const std::string& value,
                        const std::string& problem) {
  return "Wrong parameter " + key + " \"" + value + "\": " + problem;
}

// "a, b or c".
std::string alternatives(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
    text += names[i];
  }
  return text;
}

// The matchers meant for descriptors of the kind `binary` says, in the
// algorithm table's order: the Hamming ones for binary descriptors, all the
// others for floating-point ones.
std::vector<std::string> matchersFor(bool binary) {
  std::vector<std::string> names;
  for (const std::string& name : algorithmNames(AlgorithmRole::Matcher)) {
    const bool hamming = listed(std::begin(kHammingMatchers), std::end(kHammingMatchers), name);
    if (binary == hamming) names.push_back(name);
  }
  return names;
}

// The extractor says itself what its descriptors are (the Opponent wrapper
// passes on the kind of the extractor it wraps), so the kinds cannot drift
// from the algorithms. Both names are known to be valid here.
std::optional<std::string> combinationProblem(const std::string& extractor,
                                              const std::string& matcher) {
  bool binary = false;
  try {
    binary = createExtractor(extractor)->descriptorType() == CV_8U;
  } catch (const cv::Exception&) {
    return std::nullopt;  // the frames report it with the library's own words
  }
  const bool refused =
      binary ? listed(std::begin(kFloatOnlyMatchers), std::end(kFloatOnlyMatchers), matcher)
             : listed(std::begin(kHammingMatchers), std::end(kHammingMatchers), matcher);
  if (!refused) return std::nullopt;
  return problemLine(roleKey(AlgorithmRole::Matcher), matcher,
                     std::string("cannot compare the ") + (binary ? "binary" : "floating-point") +
                         " descriptors of " + roleKey(AlgorithmRole::Extractor) + " \"" +
                         extractor + "\"; use " + alternatives(matchersFor(binary)));
}

}  // namespace

std::optional<std::string> checkParameters(const std::string& parameters) {
  return checkCheckerOptions(readCheckerOptions(parameters));
}

std::optional<std::string> checkCheckerOptions(const CheckerOptions& options) {
  if (!options.measures()) return std::nullopt;
  const std::pair<const char*, const std::string*> tiles[] = {{"WIDTH", &options.widthText},
                                                              {"HEIGHT", &options.heightText}};
  for (const auto& [key, value] : tiles) {
    if (leadingInteger(*value) < 1) {
      return problemLine(key, *value, "a whole number of at least 1 is needed");
    }
  }
  const std::pair<AlgorithmRole, const std::string*> names[] = {
      {AlgorithmRole::Detector, &options.detector},
      {AlgorithmRole::Extractor, &options.extractor},
      {AlgorithmRole::Matcher, &options.matcher}};
  for (const auto& [role, value] : names) {
    if (const auto problem = algorithmNameProblem(role, *value)) {
      return problemLine(roleKey(role), *value, *problem);
    }
  }
  return combinationProblem(options.extractor, options.matcher);
}

}  // namespace stereolint
