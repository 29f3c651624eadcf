// The worker that loads the next picture, without Qt (run under ThreadSanitizer too): results arrive on
// the queue's thread, a failure names the file, a load given up never reports, and the loader can be
// restarted, cancelled and destroyed at any moment of a load.

#include "show/runner/picture_load_ahead.h"

#include "../lib/test_files.h"
#include "tests/runner/bmp_writer.h"
#include "tests/runner/dated_photo.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

namespace vorlin::runner {
namespace {

using namespace std::chrono_literals;

class LoadAheadTest : public ::testing::Test {
protected:
    void SetUp() override {
        small_ = dir_ / "small.bmp";
        big_ = dir_ / "big.bmp";
        vorlin::testing::writeSolidBmp(small_, 40, 30, 200, 40, 90);
        vorlin::testing::writeSolidBmp(big_, 1600, 1000, 10, 20, 30);
    }
    // Serves the queue until a result came or `limit` passed.
    bool serveUntilResult(std::chrono::milliseconds limit = 10s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!result_ && std::chrono::steady_clock::now() < end) {
            queue_->serve();
            std::this_thread::sleep_for(1ms);
        }
        return result_.has_value();
    }
    PictureRequest request(const std::string& path) {
        return {path, gfx::Color{1, 2, 3}, gfx::PictureFit{gfx::PictureFit::Rule::Visible, 100, 80, true}};
    }

    vorlin::testing::TempDir dir_;
    std::string small_, big_;
    std::shared_ptr<platform::CallQueue> queue_ = std::make_shared<platform::CallQueue>();
    std::optional<LoadedPicture> result_;
    int results_ = 0;
    PictureLoadAhead::Handler handler_ = [this](LoadedPicture r) {
        ++results_;
        result_ = std::move(r);
    };
};

TEST_F(LoadAheadTest, ResultsArriveOnTheQueuesThreadFittedOrWithTheFailure) {
    PictureLoadAhead loader(queue_, handler_);
    loader.start(request(big_));
    EXPECT_TRUE(loader.busy());
    ASSERT_TRUE(serveUntilResult());
    EXPECT_FALSE(loader.busy());
    ASSERT_TRUE(result_->ok);
    EXPECT_EQ(result_->request, request(big_));
    // The part of the 1600 × 1000 picture a 100 × 80 control shows.
    EXPECT_EQ(result_->picture.width(), 100);
    EXPECT_EQ(result_->picture.height(), 80);
    EXPECT_EQ(result_->picture.pixel(50, 40), (gfx::Color{10, 20, 30}));

    result_.reset();
    vorlin::testing::writeFile(dir_ / "bad.jpg", "not a picture");
    loader.start(request(dir_ / "bad.jpg"));
    ASSERT_TRUE(serveUntilResult());
    EXPECT_FALSE(result_->ok);
    EXPECT_TRUE(result_->picture.isEmpty());
    EXPECT_NE(result_->error.find(dir_ / "bad.jpg"), std::string::npos) << result_->error;
}

TEST_F(LoadAheadTest, ALoadGivenUpNeverReports) {
    PictureLoadAhead loader(queue_, handler_);
    // Done and posted, but not yet served: cancelled before the queue runs it.
    loader.start(request(small_));
    while (queue_->pending() == 0) std::this_thread::sleep_for(1ms);
    loader.cancel();
    EXPECT_FALSE(loader.busy());
    queue_->serve();
    EXPECT_EQ(results_, 0);
    // A restart replaces the load in flight: only the last one reports.
    loader.start(request(big_));
    loader.start(request(small_));
    ASSERT_TRUE(serveUntilResult());
    std::this_thread::sleep_for(50ms);
    queue_->serve();
    EXPECT_EQ(results_, 1);
    EXPECT_EQ(result_->request.path, small_);
}

TEST_F(LoadAheadTest, StartStopAndDestroyAtAnyMoment) {
    for (int i = 0; i < 500; ++i) {
        PictureLoadAhead loader(queue_, handler_);
        loader.start(request(i % 3 == 0 ? big_ : small_));
        if (i % 2) std::this_thread::sleep_for(std::chrono::microseconds(i * 7 % 900));
        if (i % 5 == 0) queue_->serve();
        if (i % 4 == 0) loader.cancel();
        if (i % 7 == 0) loader.start(request(dir_ / "missing.png"));
        // Destroyed here, loading or not, with results possibly still queued.
    }
    // Whatever was posted by a loader now gone is dropped.
    const int before = results_;
    std::this_thread::sleep_for(20ms);
    queue_->serve();
    EXPECT_EQ(results_, before);
}

// The metadata is a second read of the file, made only for a request that asks for it (a caption that needs
// it); a picture that fails to load carries none.
TEST_F(LoadAheadTest, MetadataIsReadOnlyWhenAsked) {
    const std::string photo = dir_ / "dated.jpg";
    const std::string error = vorlin::testing::writeDatedJpeg(photo, 64, 48, "2021:07:04 18:30:05");
    if (!error.empty()) GTEST_SKIP() << "no photo made: " << error;
    PictureLoadAhead loader(queue_, handler_);
    PictureRequest plain = request(photo);
    loader.start(plain);
    ASSERT_TRUE(serveUntilResult());
    ASSERT_TRUE(result_->ok);
    EXPECT_FALSE(result_->metadata.taken);

    PictureRequest withMetadata = plain;
    withMetadata.metadata = true;
    result_.reset();
    loader.start(withMetadata);
    ASSERT_TRUE(serveUntilResult());
    ASSERT_TRUE(result_->ok);
    EXPECT_EQ(result_->metadata.taken, (gfx::PhotoDate{2021, 7, 4, 18, 30, 5}));
    EXPECT_EQ(result_->picture.width(), 64);
}

} // namespace
} // namespace vorlin::runner
