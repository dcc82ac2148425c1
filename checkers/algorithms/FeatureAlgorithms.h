// Feature detectors, descriptor extractors and descriptor matchers created by
// name, as the DETECTOR, EXTRACTOR and MATCHER parameters give them.
//
// One table lists every name with the roles it can fill; it drives creation,
// the start-up check, the error text and the list of names users read. The
// names and their default settings are those users of older releases of the
// image library know ("ORB", "GFTT", "GridFAST", "OpponentORB",
// "BruteForce-Hamming", …), plus AKAZE, KAZE and AGAST. Prefixes wrap and
// recurse: "Grid" and "Pyramid" adapt any detector name, "Opponent" any
// extractor name, so "GridPyramidFAST" and "OpponentOpponentORB" are names.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <opencv2/features2d.hpp>

namespace stereolint {

enum class AlgorithmRole { Detector, Extractor, Matcher };

// The parameter key of a role: "DETECTOR", "EXTRACTOR" or "MATCHER".
const char* roleKey(AlgorithmRole role);

// Why `name` cannot fill `role`, as a short text for the user ("unknown
// detector; valid names: …" or "not available in this build of the image
// library"), or nothing when it can.
std::optional<std::string> algorithmNameProblem(AlgorithmRole role, const std::string& name);

// New algorithm objects; a name that cannot fill the role raises
// cv::Exception with the text of algorithmNameProblem. Every call gives a
// fresh object, so callers on different threads never share one.
cv::Ptr<cv::Feature2D> createDetector(const std::string& name);
cv::Ptr<cv::Feature2D> createExtractor(const std::string& name);
cv::Ptr<cv::DescriptorMatcher> createMatcher(const std::string& name);

// What createMatcher(matcherName)->match(query, train, matches) gives, with
// a faster search of the same result where the table has one for the
// descriptors' type (BruteForce-Hamming on 8-bit descriptors). Errors are
// the image library's.
std::vector<cv::DMatch> matchDescriptors(const std::string& matcherName, const cv::Mat& query,
                                         const cv::Mat& train);

// True when the detector and extractor names are one plain name (no
// prefixes) whose algorithm gives, in one detectAndCompute call, exactly
// the keypoints and descriptors of detect and then compute: ORB. The
// caller may then build the image pyramid once instead of twice.
bool describesInOneCall(const std::string& detector, const std::string& extractor);
// Every name describesInOneCall accepts, for the test that holds them to it.
std::vector<std::string> oneCallDetectorNames();

// The plain names that fill `role` in this build, in table order (prefixes
// not included).
std::vector<std::string> algorithmNames(AlgorithmRole role);
// The prefixes that adapt names of `role` ("Grid", "Pyramid" or "Opponent").
std::vector<std::string> algorithmPrefixes(AlgorithmRole role);
// Names that older releases offered for `role` but this build does not have.
std::vector<std::string> unavailableAlgorithmNames(AlgorithmRole role);

}  // namespace stereolint
