#include "checkers/SummaryPicture.h"

#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include "results/ResultKeys.h"

namespace stereolint {
namespace {

const cv::Vec3b kGrey(240, 240, 240), kBlack(0, 0, 0);

// A result carrying uniform pictures of the given size under the given keys.
std::unique_ptr<Result> resultWith(const std::string& name, cv::Size size,
                                   const std::vector<std::pair<const char*, int>>& pictures) {
  Result::KeyImages images;
  for (const auto& [key, shade] : pictures) {
    images.push_back(std::make_unique<Result::KeyImage>(
        key, cv::Mat(size, CV_8UC3, cv::Scalar::all(shade))));
  }
  return std::make_unique<Result>(name, Result::KeyValues{}, std::move(images));
}

TEST(SummaryPicture, EmptyListGivesTheMessagePicture) {
  const cv::Mat picture = summaryPicture({});
  ASSERT_EQ(picture.size(), cv::Size(800, 600));
  EXPECT_EQ(picture.at<cv::Vec3b>(10, 10), cv::Vec3b(255, 255, 255));
  cv::Mat black;
  cv::inRange(picture, cv::Scalar::all(0), cv::Scalar::all(0), black);
  const cv::Rect ink = cv::boundingRect(black);
  EXPECT_NEAR(ink.x + ink.width / 2, 400, 3) << "the message is centred";
  EXPECT_NEAR(ink.y + ink.height / 2, 300, 8);
}

TEST(SummaryPicture, FullHdViewsGiveAThreeByThreeGrid) {
  Results results;
  results.push_back(resultWith("VERTICAL", {1920, 1080}, {{keys::kCorrectLeft, 0}}));
  EXPECT_EQ(summaryPicture(results).size(), cv::Size(5760, 3240));
}

TEST(SummaryPicture, VerticalOnlyWithoutCirclesLeavesTheTopRowGrey) {
  const cv::Size tile(200, 100);
  Results results;
  results.push_back(resultWith("VERTICAL", tile,
                               {{keys::kCorrectLeft, 10}, {keys::kCorrectRight, 20},
                                {keys::kAnaglyphAfter, 30}}));
  const cv::Mat grid = summaryPicture(results);
  ASSERT_EQ(grid.size(), cv::Size(600, 300));
  EXPECT_EQ(grid.at<cv::Vec3b>(30, 50), kGrey);
  EXPECT_EQ(grid.at<cv::Vec3b>(30, 550), kGrey);
  EXPECT_EQ(grid.at<cv::Vec3b>(120, 20), cv::Vec3b(30, 30, 30)) << "anaglyph, scaled up";
  EXPECT_EQ(grid.at<cv::Vec3b>(280, 20), cv::Vec3b(30, 30, 30));
  EXPECT_EQ(grid.at<cv::Vec3b>(120, 420), cv::Vec3b(10, 10, 10)) << "LEFT";
  EXPECT_EQ(grid.at<cv::Vec3b>(220, 420), cv::Vec3b(20, 20, 20)) << "RIGHT";
  // The four separators, 15 pixels thick.
  EXPECT_EQ(grid.at<cv::Vec3b>(100 + 7, 100), kBlack);
  EXPECT_EQ(grid.at<cv::Vec3b>(100 + 9, 100), cv::Vec3b(30, 30, 30));
  EXPECT_EQ(grid.at<cv::Vec3b>(200, 500), kBlack);
  EXPECT_EQ(grid.at<cv::Vec3b>(50, 200 - 7), kBlack);
  EXPECT_EQ(grid.at<cv::Vec3b>(250, 400 + 7), kBlack);
}

TEST(SummaryPicture, LaterStepsProvideTheCorrectedViews) {
  const cv::Size tile(200, 100);
  Results results;
  results.push_back(resultWith("VERTICAL", tile,
                               {{keys::kCircles, 50}, {keys::kCorrectLeft, 1},
                                {keys::kCorrectRight, 1}, {keys::kAnaglyphAfter, 1}}));
  results.push_back(resultWith("SCALE", tile,
                               {{keys::kCorrectLeft, 3}, {keys::kCorrectRight, 3},
                                {keys::kAnaglyphAfter, 3}}));
  results.push_back(resultWith("ROTATION", tile,
                               {{keys::kCorrectLeft, 2}, {keys::kCorrectRight, 2},
                                {keys::kAnaglyphAfter, 2}}));
  const cv::Mat grid = summaryPicture(results);
  EXPECT_EQ(grid.at<cv::Vec3b>(120, 420), cv::Vec3b(3, 3, 3)) << "SCALE wins";
  EXPECT_EQ(grid.at<cv::Vec3b>(150, 50), cv::Vec3b(3, 3, 3));
  EXPECT_EQ(grid.at<cv::Vec3b>(20, 20), cv::Vec3b(50, 50, 50)) << "CIRCLES of VERTICAL";
  EXPECT_EQ(grid.at<cv::Vec3b>(20, 250), kGrey) << "no CIRCLES of ROTATION";
}

TEST(SummaryPicture, LabelsEndHalfTheirWidthBeforeTheTileEdge) {
  const cv::Size tile(1000, 600);
  Results results;
  results.push_back(resultWith("VERTICAL", tile, {{keys::kCorrectLeft, 0}}));
  const cv::Mat grid = summaryPicture(results);
  int baseline = 0;
  const cv::Size text = cv::getTextSize("LEFT", cv::FONT_HERSHEY_DUPLEX, 6.0, 6, &baseline);
  // The LEFT tile spans (2000, 600) to (3000, 1200); look inside, clear of
  // the separator lines.
  const cv::Rect tileArea(2010, 610, 980, 580);
  cv::Mat white;
  cv::inRange(grid(tileArea), cv::Scalar::all(200), cv::Scalar::all(255), white);
  const cv::Rect ink = cv::boundingRect(white) + tileArea.tl();
  // Ink starts a glyph side bearing (about 20 pixels at this size) right of
  // the origin.
  const int originX = static_cast<int>(3000 - 1.5 * text.width);
  EXPECT_GE(ink.x, originX);
  EXPECT_LE(ink.x, originX + 30);
  EXPECT_NEAR(ink.y + ink.height, static_cast<int>(1200 - 1.5 * text.height), 10);
}

TEST(SummaryPicture, APictureOfTheWrongSizeIsAnError) {
  Results results;
  results.push_back(resultWith("VERTICAL", {200, 100}, {{keys::kCorrectLeft, 0}}));
  results.push_back(resultWith("ROTATION", {100, 100}, {{keys::kCircles, 0}}));
  EXPECT_THROW(summaryPicture(results), cv::Exception);
}

TEST(SummaryPicture, IsTheSameDrawnFromItsSourcesAlone) {
  using namespace keys;
  const cv::Size tile(60, 40);
  const auto step = [&](const char* name, int shade, bool circles) {
    std::vector<std::pair<const char*, int>> pictures = {
        {kAnaglyphBefore, shade}, {kCorrectLeft, shade + 1}, {kCorrectRight, shade + 2},
        {kAnaglyphAfter, shade + 3}, {kMatches, shade + 4}};
    if (circles) pictures.emplace_back(kCircles, shade + 5);
    return resultWith(name, tile, pictures);
  };
  const std::vector<std::vector<const char*>> hierarchies = {
      {kVertical, kRotation, kScale}, {kVertical}, {kScale, kVertical}, {kRotation}};
  for (const auto& names : hierarchies) {
    for (bool circles : {true, false}) {
      Results results;
      int shade = 10;
      for (const char* name : names) results.push_back(step(name, shade += 20, circles));
      const Results sourcesOnly = keepingPictures(results, summarySources(results));
      EXPECT_EQ(cv::norm(summaryPicture(sourcesOnly), summaryPicture(results), cv::NORM_INF), 0)
          << names.size() << " steps, circles " << circles;
      // The first CORRECT_LEFT, three CIRCLES and the last step's three.
      EXPECT_LE(pictureNames(sourcesOnly).size(), 7u);
    }
  }
}

}  // namespace
}  // namespace stereolint
