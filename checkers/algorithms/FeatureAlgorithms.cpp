#include "checkers/algorithms/FeatureAlgorithms.h"

#include <string_view>

#include "checkers/algorithms/DenseDetector.h"
#include "checkers/algorithms/GridAdaptedDetector.h"
#include "checkers/algorithms/HammingMatcher.h"
#include "checkers/algorithms/OpponentColorExtractor.h"
#include "checkers/algorithms/PyramidAdaptedDetector.h"

namespace stereolint {

namespace {

constexpr unsigned kDetect = 1u << static_cast<unsigned>(AlgorithmRole::Detector);
constexpr unsigned kExtract = 1u << static_cast<unsigned>(AlgorithmRole::Extractor);
constexpr unsigned kMatch = 1u << static_cast<unsigned>(AlgorithmRole::Matcher);

unsigned roleBit(AlgorithmRole role) { return 1u << static_cast<unsigned>(role); }

using Feature2DFactory = cv::Ptr<cv::Feature2D> (*)();
using DescriptorMatch = std::vector<cv::DMatch> (*)(const cv::Mat&, const cv::Mat&);

struct AlgorithmEntry {
  const char* name;
  unsigned roles;
  // Detectors and extractors: a new object with the settings older releases
  // used by default. Null for matchers, which the image library still
  // creates by name, and for names this build lacks.
  Feature2DFactory create;
  bool available;
  // Detectors that also extract: whether one detectAndCompute call gives
  // the keypoints and descriptors of detect followed by compute on a fresh
  // object (a test holds every entry marked so to it).
  bool describesInOneCall = false;
  // Matchers: a faster search giving the image library's matches exactly,
  // for the descriptor types it accepts (null: the library's own).
  DescriptorMatch match = nullptr;
  int matchType = -1;
};

cv::Ptr<cv::Feature2D> gftt(bool harris) {
  return cv::GFTTDetector::create(1000, 0.01, 1, 3, harris, 0.04);
}

// clang-format off
const AlgorithmEntry kAlgorithms[] = {
    {"FAST",       kDetect,            [] { return cv::Ptr<cv::Feature2D>(cv::FastFeatureDetector::create(10, true)); }, true},
    {"ORB",        kDetect | kExtract, [] { return cv::Ptr<cv::Feature2D>(cv::ORB::create(500, 1.2f, 8, 31, 0, 2, cv::ORB::HARRIS_SCORE, 31)); }, true, true},
    {"BRISK",      kDetect | kExtract, [] { return cv::Ptr<cv::Feature2D>(cv::BRISK::create(30, 3, 1.0f)); }, true},
    {"MSER",       kDetect,            [] { return cv::Ptr<cv::Feature2D>(cv::MSER::create(5, 60, 14400, 0.25, 0.2, 200, 1.01, 0.003, 5)); }, true},
    {"GFTT",       kDetect,            [] { return gftt(false); }, true},
    {"HARRIS",     kDetect,            [] { return gftt(true); }, true},
    {"SimpleBlob", kDetect,            [] { return cv::Ptr<cv::Feature2D>(cv::SimpleBlobDetector::create()); }, true},
    {"SIFT",       kDetect | kExtract, [] { return cv::Ptr<cv::Feature2D>(cv::SIFT::create(0, 3, 0.04, 10, 1.6)); }, true},
    {"Dense",      kDetect,            [] { return cv::Ptr<cv::Feature2D>(cv::makePtr<DenseDetector>()); }, true},
    {"AKAZE",      kDetect | kExtract, [] { return cv::Ptr<cv::Feature2D>(cv::AKAZE::create()); }, true},
    {"KAZE",       kDetect | kExtract, [] { return cv::Ptr<cv::Feature2D>(cv::KAZE::create()); }, true},
    {"AGAST",      kDetect,            [] { return cv::Ptr<cv::Feature2D>(cv::AgastFeatureDetector::create()); }, true},
    {"STAR",       kDetect,            nullptr, false},
    {"SURF",       kDetect | kExtract, nullptr, false},
    {"BRIEF",      kExtract,           nullptr, false},
    {"FREAK",      kExtract,           nullptr, false},
    {"BruteForce",            kMatch, nullptr, true},
    {"BruteForce-L1",         kMatch, nullptr, true},
    {"BruteForce-SL2",        kMatch, nullptr, true},
    {"BruteForce-Hamming",    kMatch, nullptr, true, false, matchByHamming, CV_8UC1},
    {"BruteForce-Hamming(2)", kMatch, nullptr, true},
    {"FlannBased",            kMatch, nullptr, true},
};
// clang-format on

using Adapter = cv::Ptr<cv::Feature2D> (*)(cv::Ptr<cv::Feature2D>);

struct PrefixEntry {
  const char* prefix;
  AlgorithmRole role;
  Adapter wrap;
};

const PrefixEntry kPrefixes[] = {
    {"Grid", AlgorithmRole::Detector,
     [](cv::Ptr<cv::Feature2D> inner) {
       return cv::Ptr<cv::Feature2D>(cv::makePtr<GridAdaptedDetector>(std::move(inner)));
     }},
    {"Pyramid", AlgorithmRole::Detector,
     [](cv::Ptr<cv::Feature2D> inner) {
       return cv::Ptr<cv::Feature2D>(cv::makePtr<PyramidAdaptedDetector>(std::move(inner)));
     }},
    {"Opponent", AlgorithmRole::Extractor,
     [](cv::Ptr<cv::Feature2D> inner) {
       return cv::Ptr<cv::Feature2D>(cv::makePtr<OpponentColorExtractor>(std::move(inner)));
     }},
};

const char* roleNoun(AlgorithmRole role) {
  switch (role) {
    case AlgorithmRole::Detector: return "detector";
    case AlgorithmRole::Extractor: return "extractor";
    case AlgorithmRole::Matcher: return "matcher";
  }
  return "";
}

const AlgorithmEntry* findEntry(AlgorithmRole role, std::string_view name) {
  for (const AlgorithmEntry& entry : kAlgorithms) {
    if ((entry.roles & roleBit(role)) != 0 && name == entry.name) return &entry;
  }
  return nullptr;
}

// The adapter whose prefix starts `name` with a non-empty rest, or null.
const PrefixEntry* findPrefix(AlgorithmRole role, std::string_view name) {
  for (const PrefixEntry& entry : kPrefixes) {
    const std::string_view prefix = entry.prefix;
    if (entry.role == role && name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix) {
      return &entry;
    }
  }
  return nullptr;
}

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

// Each prefix wraps the algorithm once more, and detection passes through
// every wrapper in turn: a name of thousands of prefixes would only exhaust
// the stack. No useful combination comes near this many.
constexpr size_t kMostPrefixes = 8;

// The prefixes that start `name`, outermost first, and the plain name after
// them. Walked in a loop over views of `name`, so that a name of many
// thousand prefixes costs neither copies of its rest nor a deep recursion.
struct PrefixedName {
  std::vector<const PrefixEntry*> prefixes;
  std::string_view plain;
};

PrefixedName splitPrefixes(AlgorithmRole role, std::string_view name) {
  PrefixedName split{{}, name};
  while (const PrefixEntry* prefix = findPrefix(role, split.plain)) {
    split.prefixes.push_back(prefix);
    split.plain.remove_prefix(std::string_view(prefix->prefix).size());
  }
  return split;
}

cv::Ptr<cv::Feature2D> createFeature2D(AlgorithmRole role, const std::string& name) {
  const PrefixedName split = splitPrefixes(role, name);
  if (split.prefixes.size() > kMostPrefixes) {
    CV_Error(cv::Error::StsBadArg,
             std::string(roleKey(role)) + " \"" + name + "\": " + *algorithmNameProblem(role, name));
  }
  const AlgorithmEntry* entry = findEntry(role, split.plain);
  if (entry == nullptr || !entry->available) {
    // Named as the plain name, without the prefixes wrapping it.
    const std::string plain(split.plain);
    CV_Error(cv::Error::StsBadArg, std::string(roleKey(role)) + " \"" + plain + "\": " +
                                       *algorithmNameProblem(role, plain));
  }
  cv::Ptr<cv::Feature2D> algorithm = entry->create();
  for (auto prefix = split.prefixes.rbegin(); prefix != split.prefixes.rend(); ++prefix) {
    algorithm = (*prefix)->wrap(std::move(algorithm));
  }
  return algorithm;
}

}  // namespace

const char* roleKey(AlgorithmRole role) {
  switch (role) {
    case AlgorithmRole::Detector: return "DETECTOR";
    case AlgorithmRole::Extractor: return "EXTRACTOR";
    case AlgorithmRole::Matcher: return "MATCHER";
  }
  return "";
}

std::optional<std::string> algorithmNameProblem(AlgorithmRole role, const std::string& name) {
  const PrefixedName split = splitPrefixes(role, name);
  if (split.prefixes.size() > kMostPrefixes) {
    return "more than " + std::to_string(kMostPrefixes) + " prefixes";
  }
  const AlgorithmEntry* entry = findEntry(role, split.plain);
  if (entry != nullptr && entry->available) return std::nullopt;
  if (entry != nullptr) return std::string("not available in this build of the image library");
  std::string problem = std::string("unknown ") + roleNoun(role) + "; valid names: " +
                        joined(algorithmNames(role));
  const std::vector<std::string> prefixes = algorithmPrefixes(role);
  if (!prefixes.empty()) problem += "; prefixes: " + joined(prefixes);
  return problem;
}

cv::Ptr<cv::Feature2D> createDetector(const std::string& name) {
  return createFeature2D(AlgorithmRole::Detector, name);
}

cv::Ptr<cv::Feature2D> createExtractor(const std::string& name) {
  return createFeature2D(AlgorithmRole::Extractor, name);
}

cv::Ptr<cv::DescriptorMatcher> createMatcher(const std::string& name) {
  const AlgorithmEntry* entry = findEntry(AlgorithmRole::Matcher, name);
  if (entry == nullptr) {
    CV_Error(cv::Error::StsBadArg, "MATCHER \"" + name + "\": " +
                                       *algorithmNameProblem(AlgorithmRole::Matcher, name));
  }
  return cv::DescriptorMatcher::create(entry->name);
}

std::vector<cv::DMatch> matchDescriptors(const std::string& matcherName, const cv::Mat& query,
                                         const cv::Mat& train) {
  const AlgorithmEntry* entry = findEntry(AlgorithmRole::Matcher, matcherName);
  if (entry != nullptr && entry->match != nullptr && query.type() == entry->matchType &&
      train.type() == entry->matchType && query.cols == train.cols) {
    return entry->match(query, train);
  }
  std::vector<cv::DMatch> matches;
  createMatcher(matcherName)->match(query, train, matches);
  return matches;
}

bool describesInOneCall(const std::string& detector, const std::string& extractor) {
  if (detector != extractor) return false;
  const AlgorithmEntry* entry = findEntry(AlgorithmRole::Detector, detector);
  return entry != nullptr && entry->available && entry->describesInOneCall &&
         (entry->roles & kExtract) != 0;
}

std::vector<std::string> oneCallDetectorNames() {
  std::vector<std::string> names;
  for (const AlgorithmEntry& entry : kAlgorithms) {
    if (entry.describesInOneCall && entry.available) names.emplace_back(entry.name);
  }
  return names;
}

std::vector<std::string> algorithmNames(AlgorithmRole role) {
  std::vector<std::string> names;
  for (const AlgorithmEntry& entry : kAlgorithms) {
    if ((entry.roles & roleBit(role)) != 0 && entry.available) names.emplace_back(entry.name);
  }
  return names;
}

std::vector<std::string> algorithmPrefixes(AlgorithmRole role) {
  std::vector<std::string> prefixes;
  for (const PrefixEntry& entry : kPrefixes) {
    if (entry.role == role) prefixes.emplace_back(entry.prefix);
  }
  return prefixes;
}

std::vector<std::string> unavailableAlgorithmNames(AlgorithmRole role) {
  std::vector<std::string> names;
  for (const AlgorithmEntry& entry : kAlgorithms) {
    if ((entry.roles & roleBit(role)) != 0 && !entry.available) names.emplace_back(entry.name);
  }
  return names;
}

}  // namespace stereolint
