// What the headers of a video say, from streams set up by hand with the
// values that broken or unusual files hold.
#include "sources/VideoFacts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

namespace stereolint::libav {
namespace {

struct FreeFile {
  void operator()(AVFormatContext* file) const { avformat_free_context(file); }
};

// A file with one video stream that says nothing about its length.
class Headers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(file);
    stream = avformat_new_stream(file.get(), nullptr);
    ASSERT_NE(stream, nullptr);
    stream->time_base = {1, 1000};
    stream->avg_frame_rate = {25, 1};
  }
  std::optional<std::int64_t> count() const { return frameCountOf(*file, *stream); }
  // Gives the stream a display matrix whose rotation ffprobe shows as
  // "rotation of `degrees` degrees" (av_display_rotation_get); a phone's
  // portrait take shows -90, and players turn it 90 degrees clockwise.
  void setMatrixShowing(double degrees) {
    // The new matrix replaces the last.
    for (int k = 0; k < stream->nb_side_data; ++k) av_freep(&stream->side_data[k].data);
    av_freep(&stream->side_data);
    stream->nb_side_data = 0;
    auto* matrix = reinterpret_cast<std::int32_t*>(
        av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(std::int32_t)));
    ASSERT_NE(matrix, nullptr);
    av_display_rotation_set(matrix, -degrees);
    ASSERT_NEAR(std::remainder(av_display_rotation_get(matrix) - degrees, 360.0), 0.0, 1e-3);
  }

  std::unique_ptr<AVFormatContext, FreeFile> file{avformat_alloc_context()};
  AVStream* stream = nullptr;
};

TEST_F(Headers, FrameCountComesFromTheCountElseTheFilesDurationTimesTheRate) {
  EXPECT_EQ(count(), std::nullopt);
  stream->duration = 400;  // the stream's own duration: 0.4 s
  EXPECT_EQ(count(), 10);
  file->duration = 2 * AV_TIME_BASE;  // the file's: 2 s
  EXPECT_EQ(count(), 50);
  stream->nb_frames = 30;
  EXPECT_EQ(count(), 30);
}

TEST_F(Headers, CountsThatAreNoCountsAreDropped) {
  stream->nb_frames = kMostFramesBelieved + 1;
  EXPECT_EQ(count(), std::nullopt) << "a count beyond belief";
  stream->nb_frames = -5;
  stream->duration = -400;
  EXPECT_EQ(count(), std::nullopt) << "negative count and duration";
  stream->nb_frames = 0;
  stream->duration = std::numeric_limits<std::int64_t>::max();
  stream->time_base = {std::numeric_limits<int>::max(), 1};
  EXPECT_EQ(count(), std::nullopt) << "a duration whose frame count overflows";
  stream->duration = 10;
  stream->time_base = {1, 1000};
  EXPECT_EQ(count(), std::nullopt) << "0.01 s is less than one frame";
}

TEST_F(Headers, FrameRateIsTheAverageElseTheBaseRate) {
  ASSERT_TRUE(frameRateOf(*stream).has_value());
  EXPECT_DOUBLE_EQ(*frameRateOf(*stream), 25.0);
  stream->avg_frame_rate = {0, 0};
  stream->r_frame_rate = {30000, 1001};
  ASSERT_TRUE(frameRateOf(*stream).has_value());
  EXPECT_NEAR(*frameRateOf(*stream), 29.97, 0.001);
  stream->r_frame_rate = {-1, 1};
  EXPECT_EQ(frameRateOf(*stream), std::nullopt);
}

TEST_F(Headers, TurnsAreClockwiseQuarterTurnsAsPlayersShowThem) {
  EXPECT_EQ(clockwiseTurnOf(*stream), 0) << "no display matrix";
  const struct {
    double shown;
    std::optional<int> clockwise;
  } cases[] = {{0, 0},      {-90, 90},   {90, 270},         {180, 180},
               {-180, 180}, {-89.6, 90}, {45, std::nullopt}};
  for (const auto& turn : cases) {
    setMatrixShowing(turn.shown);
    EXPECT_EQ(clockwiseTurnOf(*stream), turn.clockwise)
        << "display matrix showing a rotation of " << turn.shown << " degrees";
  }
}

}  // namespace
}  // namespace stereolint::libav
