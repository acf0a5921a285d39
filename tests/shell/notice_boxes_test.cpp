// The boxes the window shows for the core's questions and errors: the owner and caption decide
// where a box appears and what it says it is.
#include "notice_boxes.h"

#include <gtest/gtest.h>

#include "messages.h"

namespace zemlo::shell {
namespace {

using app::BoxButtons;
using app::BoxIcon;
using app::BoxOwner;
using app::MessageBoxDetails;
using app::Question;

TEST(NoticeBoxes, QuestionsAndErrorsBecomeTheirBoxes) {
    EXPECT_EQ(question_box({Question::ConfirmDownload, "/pc/a.bmp", "abc.bmp"}),
              (MessageBoxDetails{
                  "你确定要下载文件\"/pc/a.bmp\"到\"abc.bmp\"吗?(若有同名文件则覆盖)", "确认",
                  BoxIcon::Question, BoxButtons::OkCancel, BoxOwner::MainWindow, true}));
    EXPECT_EQ(question_box({Question::ConfirmFormat, {}, {}}).owner, BoxOwner::MainWindow);
    EXPECT_EQ(question_box({Question::ConfirmRename, "a.bmp", "b.bmp"}).owner, BoxOwner::None);
    EXPECT_EQ(question_box({Question::KeepFile, "/pc/a.bmp", {}}).text, "要保存文件吗?");

    const MessageBoxDetails link = error_box({{app::MessageId::PortCannotOpenBecause, {"busy"}},
                                              app::ErrorSource::Link,
                                              app::OpenFailure{14, "busy"}});
    EXPECT_EQ(link, (MessageBoxDetails{"不能打开COM端口\n系统的说明：busy", "错误", BoxIcon::Error,
                                       BoxButtons::Ok, BoxOwner::None, true}));
    const MessageBoxDetails own =
        error_box({{app::MessageId::Busy}, app::ErrorSource::Window, std::nullopt});
    EXPECT_EQ(own.caption, "确认");
    EXPECT_EQ(own.owner, BoxOwner::MainWindow);
}

}  // namespace
}  // namespace zemlo::shell
