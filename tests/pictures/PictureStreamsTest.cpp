// A still picture and an image sequence read as frame streams.
#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>

#include "sources/SequenceStream.h"
#include "sources/StillStream.h"
#include "support/SyntheticViews.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

bool samePixels(const cv::Mat& a, const cv::Mat& b) {
  return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

std::unique_ptr<FrameStream> opened(Expected<std::unique_ptr<FrameStream>> stream) {
  EXPECT_TRUE(stream.ok()) << stream.error();
  return stream ? std::move(*stream) : nullptr;
}

TEST(StillStream, GivesItsPictureOnceAsFrameOne) {
  test::TempFolder folder;
  const cv::Mat still = test::texturedPicture({64, 48});
  ASSERT_TRUE(cv::imwrite(folder.file("still.png"), still));
  const auto stream = opened(openStillStream(folder.file("still.png")));
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->path(), folder.file("still.png"));
  EXPECT_EQ(stream->pictureSize(), cv::Size(64, 48));
  EXPECT_EQ(stream->frameCountHint(), 1);
  EXPECT_TRUE(stream->remarks().empty());
  StreamPicture frame;
  ASSERT_EQ(stream->read(frame).kind, StreamRead::Kind::Picture);
  EXPECT_EQ(frame.number, 1);
  EXPECT_TRUE(samePixels(frame.picture, still));
  EXPECT_EQ(stream->read(frame).kind, StreamRead::Kind::End);

  const std::string missing = folder.file("missing.png");
  EXPECT_EQ(openStillStream(missing).error(), "Cannot read the image " + missing);
}

class SequenceStream : public ::testing::Test {
 protected:
  // Frames 1, 2, 3 and 5 of take_%04d.png, each its own picture.
  void SetUp() override {
    for (int number : {1, 2, 3, 5}) {
      pictures[number] = test::texturedPicture({32 + number, 24}, static_cast<unsigned>(number));
      ASSERT_TRUE(cv::imwrite(file(number), pictures[number]));
    }
  }
  std::string file(int number) const {
    return folder.file("take_" + cv::format("%04d", number) + ".png");
  }
  test::TempFolder folder;
  std::string pattern = folder.file("take_%04d.png");
  cv::Mat pictures[6];
};

TEST_F(SequenceStream, ReadsEveryFileWithTheNumberInItsName) {
  const auto stream = opened(openSequenceStream(pattern));
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->path(), pattern);
  EXPECT_EQ(stream->frameCountHint(), 4);
  EXPECT_EQ(stream->pictureSize(), cv::Size(33, 24));
  EXPECT_EQ(stream->remarks(), std::vector<std::string>{"frame 4 is missing from " + pattern});
  StreamPicture first;
  ASSERT_EQ(stream->read(first).kind, StreamRead::Kind::Picture);
  EXPECT_EQ(first.number, 1);
  EXPECT_TRUE(samePixels(first.picture, pictures[1]));
  // A file whose picture differs in size from the first is passed over,
  // named, and the files after it are still read.
  for (int number : {2, 3, 5}) {
    StreamPicture frame;
    const StreamRead read = stream->read(frame);
    ASSERT_EQ(read.kind, StreamRead::Kind::Damaged);
    EXPECT_EQ(read.number, number);
    EXPECT_EQ(read.reason, ": " + file(number) + " measures " + std::to_string(32 + number) +
                               " x 24, not 33 x 24 as the first readable file");
  }
  StreamPicture frame;
  EXPECT_EQ(stream->read(frame).kind, StreamRead::Kind::End);
}

TEST_F(SequenceStream, ABadFileFailsAloneAndSkippingDoesNotReadIt) {
  test::writeTextFile(file(2), "damaged");
  test::writeTextFile(file(3), "damaged too");
  const auto stream = opened(openSequenceStream(file(1)));
  ASSERT_TRUE(stream);
  StreamPicture frame;
  ASSERT_EQ(stream->read(frame).kind, StreamRead::Kind::Picture);
  EXPECT_EQ(frame.number, 1);
  EXPECT_EQ(stream->skip(frame).kind, StreamRead::Kind::Picture);
  EXPECT_EQ(frame.number, 2);
  const StreamRead failed = stream->read(frame);
  EXPECT_EQ(failed.kind, StreamRead::Kind::Damaged);
  EXPECT_EQ(failed.number, 3);
  EXPECT_EQ(failed.reason, ": cannot read the image " + file(3));
  EXPECT_EQ(stream->read(frame).kind, StreamRead::Kind::Damaged) << "frame 5 is of another size";
  EXPECT_EQ(stream->skip(frame).kind, StreamRead::Kind::End);
}

TEST_F(SequenceStream, ADamagedFirstFileCostsItsFrameAndOnlyNoReadableFileFails) {
  const std::string none = folder.file("other_%04d.png");
  EXPECT_EQ(openSequenceStream(none).error(), "No file matches the picture pattern " + none);
  test::writeTextFile(file(1), "damaged");
  const auto stream = opened(openSequenceStream(pattern));
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->pictureSize(), cv::Size(34, 24)) << "the first readable file's";
  StreamPicture frame;
  EXPECT_EQ(stream->read(frame).kind, StreamRead::Kind::Damaged);
  ASSERT_EQ(stream->read(frame).kind, StreamRead::Kind::Picture);
  EXPECT_EQ(frame.number, 2);
  for (int number : {2, 3, 5}) test::writeTextFile(file(number), "damaged");
  EXPECT_EQ(openSequenceStream(pattern).error(), "Cannot read the image " + file(1));
}

}  // namespace
}  // namespace stereolint
