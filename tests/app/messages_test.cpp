// The message table: the rendered texts are today's, byte for byte, whatever the parameters carry.
#include <gtest/gtest.h>

#include "connection_state.h"
#include "error_notice.h"
#include "file_name_rule.h"
#include "handset_text.h"
#include "messages.h"
#include "question.h"

namespace zemlo::app {
namespace {

TEST(Messages, RenderTheTextsUsersKnow) {
    EXPECT_EQ(render(MessageId::ConnectDone), "连接手机成功");
    EXPECT_EQ(render(MessageId::NoAnswer), "未收到响应，检查连线");
    EXPECT_EQ(render(MessageId::SendingPacket, {"12"}), "正在发送第12个数据包...");
    EXPECT_EQ(render(MessageId::PacketFailed, {"3"}), "发送第3个数据包错误");
    EXPECT_EQ(render({MessageId::DownloadSaved, {"/pc/a.bmp"}}), "文件\"/pc/a.bmp\"下载成功");
    EXPECT_EQ(render(MessageId::ConfirmDownload, {"/pc/a.bmp", "abc.bmp"}),
              "你确定要下载文件\"/pc/a.bmp\"到\"abc.bmp\"吗?(若有同名文件则覆盖)");
    EXPECT_EQ(render(MessageId::PortCannotOpenBecause, {"/dev/ttyUSB0: busy"}),
              "不能打开COM端口\n系统的说明：/dev/ttyUSB0: busy");
    EXPECT_EQ(connection_text(11, true), "   COM11已连接");
    EXPECT_EQ(check_file_name("abcdefghi").message,
              "文件名太长!\n手机的文件名最多8个字符，只能用英文字母和数字");
    EXPECT_EQ(render(MessageId::None), "");
}

TEST(Messages, ParametersGoInAsTheyAre) {
    // A file name that is not UTF-8 keeps its bytes; a placeholder inside a parameter is text.
    const std::string latin1 = "/pc/caf\xe9.bmp";
    EXPECT_EQ(render(MessageId::DownloadDiscarded, {latin1}), "文件\"" + latin1 + "\"未保存");
    EXPECT_EQ(render(MessageId::ConfirmRename, {"%2.bmp", "b.bmp"}),
              "你确定要将\"%2.bmp\"改为\"b.bmp\"吗？");
    // A missing parameter leaves its placeholder rather than inventing a value.
    EXPECT_EQ(render(MessageId::ConfirmRename, {"a.bmp"}), "你确定要将\"a.bmp\"改为\"%2\"吗？");
}

TEST(Messages, EveryKeyHasItsText) {
    for (size_t i = 1; i < static_cast<size_t>(MessageId::Count); ++i) {
        EXPECT_NE(std::string(source_text(static_cast<MessageId>(i))), "") << i;
    }
}

// A question reads as it always has; a handset name in it is shown without the controls it may
// carry. Errors of the link stand under their own caption.
TEST(Messages, QuestionsAndErrorsReadAsTheirTexts) {
    EXPECT_EQ(question_text({Question::ConfirmDownload, "/pc/a.bmp", "abc.bmp"}),
              "你确定要下载文件\"/pc/a.bmp\"到\"abc.bmp\"吗?(若有同名文件则覆盖)");
    EXPECT_EQ(question_text({Question::ConfirmDelete, "a\x01b.bmp", {}}),
              render(MessageId::ConfirmDelete, {printable_handset_text("a\x01b.bmp")}));
    EXPECT_EQ(question_text({Question::KeepFile, "/pc/a.bmp", {}}), "要保存文件吗?");
    EXPECT_EQ(render(error_caption(ErrorSource::Link)), "错误");
    EXPECT_EQ(render(error_caption(ErrorSource::Window)), "确认");
    EXPECT_TRUE((OpenFailure{2, ""}.port_unavailable()));
    EXPECT_FALSE((OpenFailure{3, ""}.port_unavailable()));  // in use is not "cannot open"
}

}  // namespace
}  // namespace zemlo::app
