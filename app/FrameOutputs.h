// Everything a frame leaves behind, decided and written in one place: its
// own files (the pictures, the summary and RESULT.txt), what quality control
// makes of its pictures (written, held until its shot is complete, or
// none), its table rows and the presenter call.
//
// The frame's own files are written on its worker's thread, so that the
// workers compress their pictures side by side; everything else happens on
// the main thread as frames are collected.
#pragma once

#include <map>
#include <memory>
#include <string>

#include <opencv2/core.hpp>

#include "app/Presenter.h"
#include "app/RunOptions.h"
#include "app/Thread.h"
#include "checkers/StereolintInterface.h"
#include "results/ResultWriters.h"

namespace stereolint {

class FrameOutputs {
 public:
  // `options`, `checker` and `presenter` must outlive the outputs.
  FrameOutputs(const RunOptions& options, const StereolintInterface& checker, Presenter& presenter);

  // On the worker's thread, once the frame is measured. Under quality
  // control: the frame's record and what becomes of its pictures. Then the
  // frame's own files: every file, the pictures the summary is not drawn
  // from first (so a frame never holds them all and its summary at once),
  // or RESULT.txt alone when its pictures are held or not written. The
  // summary is drawn only when some frame's summary is written or shown; a
  // console run lets the pictures go once they are written. Changes nothing
  // but `frame`, so every worker shares one FrameOutputs.
  void writeFrameFiles(FrameWork& frame) const;

  // On the main thread, for a measured frame: its table rows (returning
  // what could not be written), then the presenter.
  WriteFailures writeRows(const FrameWork& frame) const;
  void present(const FrameWork& frame);

  // Some frame's summary picture is written or shown: not so for a console
  // run with --pictures none.
  bool summaryNeeded() const { return drawSummary; }

  // Keeps a frame's views, results and summary until writeHeld or dropHeld
  // says what becomes of its pictures.
  void hold(FrameWork& frame);
  // Writes the held pictures of frame `id` (nothing when none are held) and
  // lets them go.
  WriteFailures writeHeld(int id);
  void dropHeld(int id);
  void dropAllHeld() { held.clear(); }

  // On the main thread, for a shot's worst frame once its shot is complete
  // (unless --pictures none): measures the views again with the checker's
  // reviewChecker and writes the pictures it adds to the frame's files
  // (the alignment method's DEPTH and EYES pictures), which the report's
  // window and eye tables show. Nothing when the checker has no such
  // pictures or draws them for every frame already. The measuring is the
  // frame's own, so the pictures show what its numbers say. Errors of the
  // image library propagate as cv::Exception.
  WriteFailures writeReviewPictures(int id, int size, const cv::Mat& left,
                                    const cv::Mat& right) const;

 private:
  // The views, results and summary of a frame whose pictures wait for its
  // shot to complete.
  struct HeldFrame {
    cv::Mat left, right, summary;
    Results results;
    int size = 0;
  };

  // The quality-control record of the frame and the parts of its files the
  // worker writes.
  FrameParts judge(FrameWork& frame) const;

  const RunOptions& options;
  const StereolintInterface& checker;
  Presenter& presenter;
  const bool drawSummary;
  // The checker that draws the worst frames' review pictures, or null.
  const std::unique_ptr<StereolintInterface> reviewer;
  std::map<int, HeldFrame> held;
};

// Every file of the frame, the pictures the summary is not drawn from
// first; the summary is drawn as it is written. What a worker writes
// without a FrameOutputs.
WriteFailures writeEveryFrameFile(const StereolintInterface& checker, FrameWork& frame);

}  // namespace stereolint
