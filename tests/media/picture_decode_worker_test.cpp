// Pictures decoded in the background: clicks faster than the decodes never queue one decode per
// click, the newest wins, and a late result of an earlier choice never replaces a later one.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "picture_decode_worker.h"
#include "picture_file_conversion.h"
#include "picture_selection.h"
#include "picture_test_support.h"
#include "synthetic_pictures.h"
#include "wait_until.h"

namespace {

using namespace zemlo::media;
using namespace zemlo::testing;
using namespace std::chrono_literals;

class PictureDecodes : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 20; ++i) {
            paths_.push_back(source_.file("photo" + std::to_string(i) + ".jpg"));
            // Drawn pixel by pixel: no drawing threads of the toolkit's besides the decoder's.
            ASSERT_TRUE(
                synthetic_gradient(640, 480, i % 10, QColor(20, 60, 160), QColor(250, 200, 10 * i))
                    .save(QString::fromStdString(paths_.back()), "JPG", 85));
        }
    }
    PictureFolders folders() const { return {ZEMLO_TEST_BIN_DIR, work_.path().string()}; }
    TempFolder work_;
    TempFolder source_;
    std::vector<std::string> paths_;
};

TEST_F(PictureDecodes, TwentyClicksWhileOneDecodesEndWithTheLastAndTwoDecodes) {
    std::mutex mutex;
    std::condition_variable cv;
    bool clicked = false;
    std::vector<std::string> delivered;
    PictureDecodeWorker worker([&](const DecodeRequest &request, DecodeResult result) {
        std::unique_lock<std::mutex> lock(mutex);
        // The first decode is still "running" while the user clicks on.
        cv.wait(lock, [&] { return clicked; });
        EXPECT_TRUE(result.picture) << result.error;
        delivered.push_back(request.path);
    });
    for (const std::string &path : paths_) {
        worker.submit({path, {}});
        // The first click's decode has begun before the others come.
        if (path == paths_.front()) {
            ASSERT_TRUE(wait_until([&] { return worker.counts().started == 1; }, 10s));
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        clicked = true;
    }
    cv.notify_all();
    ASSERT_TRUE(wait_until([&] { return !worker.counts().busy; }, 20s));
    const PictureDecodeWorker::Counts counts = worker.counts();
    EXPECT_EQ(counts.started, 2u);
    EXPECT_EQ(counts.replaced, 18u);
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(delivered, (std::vector<std::string>{paths_.front(), paths_.back()}));
}

TEST_F(PictureDecodes, ALateResultIsRefusedAndTheConversionWaitsForNobody) {
    PictureSelection selection(folders());
    const auto first = selection.begin_show(paths_[0]);
    const auto second = selection.begin_show(paths_[1]);
    ASSERT_TRUE(first && second);
    // The first picture's decode ends after the second click: refused, nothing shown.
    EXPECT_FALSE(selection.take_decoded(*first, decode_picture(first->path, first->options)));
    EXPECT_FALSE(selection.has_picture());
    EXPECT_TRUE(selection.take_decoded(*second, decode_picture(second->path, second->options)));
    ASSERT_TRUE(selection.has_picture());
    EXPECT_FALSE(selection.wanted());

    // A deep frame wants a finer decode; until it comes, the coarse one stands in, and a
    // conversion started meanwhile decodes what the frame needs: the same bytes as the file
    // converted alone with the same choice.
    PictureChoice choice;
    choice.effect = DisplayEffect::Cover;
    choice.framing.zoom = 4;
    const auto finer = selection.set_choice_deferred(choice);
    ASSERT_TRUE(finer);
    EXPECT_TRUE(selection.has_picture());
    EXPECT_FALSE(selection.draw().isNull());
    ASSERT_TRUE(selection.convert_selection(source_.file("panel.dwn")).ok);
    ASSERT_TRUE(convert_picture_file(paths_[1], source_.file("alone.dwn"), choice).ok);
    EXPECT_EQ(read_file(source_.file("panel.dwn")), read_file(source_.file("alone.dwn")));
    // The finer decode, arriving after all, is no longer wanted.
    EXPECT_FALSE(selection.take_decoded(*finer, decode_picture(finer->path, finer->options)));
}

}  // namespace
