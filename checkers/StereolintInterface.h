// The one abstract checker type through which every measurement of a stereo
// pair goes.
//
// A checker holds nothing but its parameters string, a list of KEY:VALUE
// entries separated by commas (e.g. "WIDTH:10,HEIGHT:10,DETECTOR:ORB"), and
// never changes it; every operation is const and keeps its working data
// local. One checker object therefore serves any number of threads at once.
//
// Keys read by the checkers (absent keys read as the empty string; see
// CheckerOptions.h for what each becomes):
//   WIDTH, HEIGHT   tile half-size as a percentage of the view size (integer)
//   DETECTOR, EXTRACTOR, MATCHER   algorithm names (see FeatureAlgorithms.h)
//   DISTRIBUTION    "TRUE" adds the CIRCLES picture
//   RECURRENCY      "TRUE" chains corrections from one step to the next
//   HIERARCHY       ";"-separated steps: VERTICAL, ROTATION, SCALE
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "checkers/CheckerOptions.h"
#include "checkers/FeatureMatches.h"
#include "results/FrameOutcome.h"
#include "results/Result.h"

namespace stereolint {

class StereolintInterface {
 public:
  explicit StereolintInterface(std::string parameters = std::string());
  virtual ~StereolintInterface();

  StereolintInterface(const StereolintInterface&) = delete;
  StereolintInterface& operator=(const StereolintInterface&) = delete;

  // A new image: `view` corrected by `amount`, in the checker's own unit
  // (rows, degrees or a scale factor). `view` itself is never modified.
  virtual cv::Mat correct(cv::Mat view, double amount) const = 0;

  // Measures the pair. With `matches` null the checker matches features of
  // the two views itself. The returned results belong to the caller.
  // Errors of the image library propagate as cv::Exception.
  virtual Results compute(const FeatureMatches* matches, cv::Mat left, cv::Mat right) const = 0;

  // Measures the pair as compute(nullptr, left, right) does, typed: the
  // measures, the points they rest on and whether they can be trusted, with
  // compute's results in `results`. Errors of the image library propagate
  // as cv::Exception. A checker that says nothing typed returns its results
  // as INCONCLUSIVE, no measurement.
  virtual FrameOutcome measureFrame(cv::Mat left, cv::Mat right) const;

  // A checker that measures exactly as this one does and also draws the
  // pictures a reviewer needs beside the numbers of a shot's worst frame
  // (the alignment method's DEPTH and EYES pictures); null when this
  // checker draws them already or has none to draw.
  virtual std::unique_ptr<StereolintInterface> reviewChecker() const { return nullptr; }

  // One picture summarising `results`; never modifies them.
  virtual cv::Mat visualize(const Results& results) const = 0;
  // The pictures of `results` that visualize draws from: it draws the same
  // summary from results holding only these. Every picture unless a checker
  // knows better; callers may let the others go before the summary is drawn.
  virtual std::vector<PictureName> visualizeSources(const Results& results) const;

  // The value of `key`: the text after the first ":" of the first entry whose
  // name (the text before its first ":", or the whole entry when it has none)
  // equals `key` exactly; the whole entry when that entry has no ":"; the
  // empty string when no entry has that name. Blanks are part of names and
  // values, and values may hold ":" but never ",".
  std::string getParameter(const std::string& key) const;

  const std::string& getParameters() const { return parameters; }

  // True when the WIDTH and HEIGHT of options() give at least one feature
  // tile in views of `view` pixels, so that the steps can measure anything.
  bool anyTileFits(cv::Size view) const;

  // The parameters as typed settings, read once when the checker is made.
  const CheckerOptions& options() const { return settings; }

 private:
  const std::string parameters;
  const CheckerOptions settings;
};

}  // namespace stereolint
