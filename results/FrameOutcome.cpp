#include "results/FrameOutcome.h"

namespace stereolint {

namespace {

constexpr std::array<InconclusiveInfo, kInconclusiveCount> kTable = {{
    {Inconclusive::EmptyView, "EMPTY VIEW", "a view has no pixels", true},
    {Inconclusive::ViewsDifferInSize, "VIEWS DIFFER IN SIZE", "the two views are not the same size",
     true},
    {Inconclusive::ViewTooSmall, "VIEW TOO SMALL", "a view is narrower or lower than 64 pixels",
     true},
    {Inconclusive::BlackView, "BLACK VIEW", "a view is black (or nearly: dark with no contrast)",
     true},
    {Inconclusive::FlatView, "FLAT VIEW", "a view has no contrast to match on", true},
    {Inconclusive::TooFewPoints, "TOO FEW POINTS", "fewer than 20 matches agree with one model",
     true},
    {Inconclusive::OffsetBeyondBand, "OFFSET BEYOND BAND",
     "fewer than 20 matches agree with one model within the band that BAND searches, but matched "
     "in a band three times as wide, at least 20 agree on a vertical offset beyond it: widen "
     "BAND",
     true},
    {Inconclusive::MatchesAmbiguous, "MATCHES AMBIGUOUS",
     "most features look like others nearby (repetitive texture), or most matches disagree with "
     "the best model",
     true},
    {Inconclusive::PointsClustered, "POINTS CLUSTERED",
     "the matches cover too small a part of the view to fit a rotation", true},
    {Inconclusive::ResidualTooLarge, "RESIDUAL TOO LARGE",
     "the matches scatter more than 1 row about the model", true},
    {Inconclusive::FitUncertain, "FIT UNCERTAIN", "the matches pin the model down too loosely",
     true},
    {Inconclusive::LowCoverage, "LOW COVERAGE",
     "the dense matching found a parallax for less than 10 % of the view", true},
    {Inconclusive::StepFoundNoPoints, "no matched points", "a step matched no features", false},
    {Inconclusive::NoMeasurement, "no measurement", "the method measured nothing", false},
}};

}  // namespace

const std::array<InconclusiveInfo, kInconclusiveCount>& inconclusiveTable() { return kTable; }

const InconclusiveInfo& inconclusiveInfo(Inconclusive reason) {
  return kTable[static_cast<size_t>(reason)];
}

Inconclusive flatViewReason(double meanGrey) {
  return meanGrey < kBlackMean ? Inconclusive::BlackView : Inconclusive::FlatView;
}

const char* frameStatusName(FrameStatus status) {
  switch (status) {
    case FrameStatus::Ok: return "OK";
    case FrameStatus::Identical: return "IDENTICAL";
    case FrameStatus::Inconclusive: break;
  }
  return "INCONCLUSIVE";
}

std::optional<FrameStatus> frameStatusFromName(std::string_view name) {
  for (FrameStatus status : {FrameStatus::Ok, FrameStatus::Identical, FrameStatus::Inconclusive})
    if (name == frameStatusName(status)) return status;
  return std::nullopt;
}

std::string statusText(FrameStatus status, std::optional<Inconclusive> reason) {
  std::string text = frameStatusName(status);
  if (status == FrameStatus::Inconclusive && reason) text += std::string(" ") + inconclusiveInfo(*reason).words;
  return text;
}

std::string FrameOutcome::reasonText() const {
  if (status != FrameStatus::Inconclusive || !reason) return std::string();
  const std::string words = inconclusiveInfo(*reason).words;
  return reasonSubject.empty() ? words : reasonSubject + ": " + words;
}

}  // namespace stereolint
