// Made-up takes for the quality control tests: scenes of distinct content
// that pan slightly from frame to frame, black and flat frames, and frame
// records with chosen measures.
#pragma once

#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "qc/FrameRecord.h"
#include "report/ReportContent.h"

namespace stereolint::test {

// Frame `step` of scene `scene`: large shapes and fine texture that differ
// from scene to scene, the view panned by 2 columns per step. 8-bit BGR.
cv::Mat scenePicture(int scene, int step, cv::Size size = cv::Size(320, 180));
// An evenly lit picture of one grey level (0: black).
cv::Mat flatPicture(int level, cv::Size size = cv::Size(320, 180));

// A record of a 1920 x 1080 view with these measures and 200 points.
qc::FrameRecord measuredFrame(int frame, const cv::Mat& leftView, double verticalRows,
                              double rotationDegrees = 0.0, double scale = 1.0);

// One shot of a made-up take.
struct ShotPlan {
  int scene;            // -1: black frames
  int frames;
  double verticalRows;  // every frame's vertical offset
  double rotation = 0;  // every frame's rotation
  // A single frame (counted from 0 in the shot) with another vertical
  // offset, or -1 for none.
  int oddFrame = -1;
  double oddVertical = 0;
};

// The records of consecutive shots, frames numbered from 1, the values
// wobbling a little from frame to frame as real measures do.
std::vector<qc::FrameRecord> plannedTake(const std::vector<ShotPlan>& shots);

// A take of 40 frames in four shots: PASS (1-12), FIX with one REJECT frame
// (13-22), black (23-28), REJECT by rotation (29-40). 25 fps from
// 01:00:00:00.
report::ReportContent fourShotTake();

// Writes a summary picture like the program's (views and an anaglyph) of
// `frame` under `prefix`, as PREFIX + frame + "_" + size + "_SUMMARY.png".
void writeSummaryPicture(const std::string& prefix, int frame, int size, int scene);

}  // namespace stereolint::test
