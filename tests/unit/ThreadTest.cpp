// Workers and their collection, driven by a checker the test controls: each
// frame's analysis waits until the test opens that frame's gate.
#include "app/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "app/FramePipeline.h"
#include "checkers/Stereolint.h"
#include "support/FootageFiles.h"
#include "support/TempFolder.h"

namespace stereolint {
namespace {

// Frame ids travel in the first pixel of the left view.
cv::Mat frameWithId(int id) { return cv::Mat(8, 8, CV_8UC3, cv::Scalar::all(id)); }

class GatedChecker : public StereolintInterface {
 public:
  explicit GatedChecker(bool startOpen = false) : allOpen(startOpen) {}

  void open(int id) {
    std::lock_guard<std::mutex> lock(mutex);
    opened.insert(id);
    changed.notify_all();
  }
  void openAll() {
    std::lock_guard<std::mutex> lock(mutex);
    allOpen = true;
    changed.notify_all();
  }
  int mostAtOnce() const { return most.load(); }
  int computed() const { return calls.load(); }

  cv::Mat correct(cv::Mat view, double) const override { return view; }
  cv::Mat visualize(const Results&) const override { return cv::Mat(4, 4, CV_8UC3); }
  Results compute(const FeatureMatches*, cv::Mat left, cv::Mat) const override {
    const int id = left.at<cv::Vec3b>(0, 0)[0];
    const int now = ++running;
    for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
    }
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return allOpen || opened.count(id) != 0; });
    }
    --running;
    ++calls;
    Results results;
    results.push_back(std::make_unique<Result>("F" + std::to_string(id), Result::KeyValues{},
                                               Result::KeyImages{}));
    return results;
  }

 private:
  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  std::set<int> opened;
  bool allOpen;
  mutable std::atomic<int> running{0};
  mutable std::atomic<int> most{0};
  mutable std::atomic<int> calls{0};
};

// Remembers the order in which frames are collected or presented.
class Recorder : public FrameCollector, public Presenter {
 public:
  void collect(FrameWork& frame) override {
    presentResults(frame.left, frame.right, frame.id, frame.size, frame.outcome.results, frame.summary,
                   frame.name);
  }
  void presentResults(cv::Mat left, cv::Mat, int id, int, const Results& results, cv::Mat,
                      std::string) override {
    presented.push_back(id);
    names.push_back(results.empty() ? "" : results[0]->getName());
    firstPixels.push_back(left.empty() ? -1 : left.at<cv::Vec3b>(0, 0)[0]);
  }
  std::vector<int> presented;
  std::vector<std::string> names;
  // The first sample of each left view as it was presented.
  std::vector<int> firstPixels;
};

// Runs the pipeline on a side-by-side video with `checker`.
int runVideo(const std::string& path, const StereolintInterface& checker, int threads,
             const std::string& sequence, const std::string& resultPath, Presenter& presenter) {
  RunOptions options;
  options.inputs = {path, path};
  options.orientation = Orientation::SideBySide;
  options.threads = threads;
  options.resultPath = resultPath;
  options.sequence = sequence;
  options.selection = parseSequence(sequence);
  RunStatus status;
  FramePipeline pipeline(options, checker, presenter, status);
  return pipeline.run();
}

class Workers : public ::testing::Test {
 protected:
  void TearDown() override {
    checker.openAll();
    waitForAllWorkers(application);
  }
  void start(int id) {
    startWorker(std::make_unique<Thread>(&checker, frameWithId(id), frameWithId(id), id, 10,
                                         "take", folder.path() + "/"));
  }
  static void untilFinished(size_t index) {
    while (!workerList.at(index)->isDone()) std::this_thread::yield();
  }
  test::TempFolder folder;
  GatedChecker checker;
  Recorder application;
};

TEST_F(Workers, ALaterFrameThatFinishesFirstIsCollectedFirst) {
  start(1);
  start(2);
  start(3);
  checker.open(2);
  untilFinished(1);
  EXPECT_EQ(reapThreads(application), 2u);
  EXPECT_EQ(application.presented, std::vector<int>{2});
  EXPECT_EQ(application.names, std::vector<std::string>{"F2"});
}

TEST_F(Workers, NeighboursThatBothFinishedAreCollectedInOneCall) {
  start(1);
  start(2);
  start(3);
  checker.open(3);
  checker.open(1);
  untilFinished(0);
  untilFinished(2);
  EXPECT_EQ(reapThreads(application), 1u);
  EXPECT_EQ(application.presented, (std::vector<int>{1, 3})) << "list order";
  checker.open(2);
  waitForAllWorkers(application);
  EXPECT_EQ(application.presented, (std::vector<int>{1, 3, 2}));
  EXPECT_TRUE(workerList.empty());
}

TEST_F(Workers, WaitingKeepsFewerWorkersThanTheThreadCount) {
  // Frames are released one after another from another thread, while this
  // thread starts workers and waits as the frame loops do.
  std::thread releaser([this] {
    for (int id = 1; id <= 10; ++id) {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      checker.open(id);
    }
  });
  for (int id = 1; id <= 10; ++id) {
    start(id);
    waitForFreeWorker(3, application);
    EXPECT_LT(workerList.size(), 3u);
  }
  waitForAllWorkers(application);
  releaser.join();
  EXPECT_TRUE(workerList.empty());
  EXPECT_LE(checker.mostAtOnce(), 3);
  EXPECT_EQ(application.presented.size(), 10u);
}

TEST_F(Workers, EachFrameKeepsItsOwnPixelsWhileTheReaderGoesOn) {
  // Frame k of a lossless video is flat grey k. Three frames are held in
  // their workers while the reader decodes the next ones; each is still its
  // own picture when it is collected.
  std::vector<cv::Mat> frames;
  for (int k = 1; k <= 6; ++k) frames.push_back(cv::Mat(8, 16, CV_8UC3, cv::Scalar::all(k)));
  ASSERT_TRUE(test::writeVideo(folder.file("take.avi"), frames, "FFV1"));
  std::thread releaser([this] {
    while (checker.mostAtOnce() < 3) std::this_thread::yield();
    checker.openAll();
  });
  runVideo(folder.file("take.avi"), checker, 3, "", folder.path() + "/", application);
  releaser.join();
  ASSERT_EQ(application.presented.size(), 6u);
  EXPECT_EQ(application.firstPixels, application.presented);
}

TEST_F(Workers, VideoLoopReadsEveryFrameAndAnalysesTheSelection) {
  auto pairs = test::shiftedPairs(12, {64, 48}, 0);
  ASSERT_TRUE(test::writeVideo(folder.file("take.avi"), test::sideBySideFrames(pairs), "MJPG"));
  GatedChecker open(true);
  const int result =
      runVideo(folder.file("take.avi"), open, 2, "10-12", folder.path() + "/", application);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(open.computed(), 3);
  EXPECT_LE(open.mostAtOnce(), 2);
  EXPECT_EQ(std::set<int>(application.presented.begin(), application.presented.end()),
            (std::set<int>{10, 11, 12}));
}

TEST_F(Workers, OneThreadCollectsEachFrameBeforeReadingTheNext) {
  auto pairs = test::shiftedPairs(5, {64, 48}, 0);
  ASSERT_TRUE(test::writeVideo(folder.file("take.avi"), test::sideBySideFrames(pairs), "MJPG"));
  GatedChecker open(true);
  runVideo(folder.file("take.avi"), open, 1, "", folder.path() + "/", application);
  EXPECT_EQ(application.presented, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(open.mostAtOnce(), 1);
}

// Remembers the medians collected for each frame.
class MedianCollector : public FrameCollector {
 public:
  void collect(FrameWork& frame) override {
    for (const auto* entry : frame.outcome.results.at(0)->getKeyValues()) {
      if (entry->getKey() == "MEDIAN") medians[frame.id] = entry->getValue();
    }
  }
  std::map<int, double> medians;
};

TEST(SharedChecker, ServesSeveralWorkersAtOnce) {
  const Stereolint checker(
      "WIDTH:10,HEIGHT:10,DETECTOR:ORB,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,"
      "DISTRIBUTION:TRUE,RECURRENCY:TRUE,HIERARCHY:VERTICAL;SCALE");
  test::TempFolder folder;
  MedianCollector application;
  for (int id = 1; id <= 4; ++id) {
    const auto pair = test::verticallyShiftedPair({200, 150}, id, static_cast<unsigned>(id));
    startWorker(std::make_unique<Thread>(&checker, pair.left, pair.right, id, 4, "take",
                                         folder.path() + "/"));
  }
  waitForAllWorkers(application);
  EXPECT_EQ(application.medians, (std::map<int, double>{{1, 1.0}, {2, 2.0}, {3, 3.0}, {4, 4.0}}));
}

}  // namespace
}  // namespace stereolint
