#include "messages.h"

#include <QCoreApplication>
#include <array>

namespace zemlo::app {

namespace {

constexpr const char *kContext = "Messages";

struct Entry {
    MessageId id;
    const char *text;
};

// The table, in the order of MessageId (checked below, so an entry cannot slip to another key).
constexpr Entry kTable[] = {
    {MessageId::None, ""},

    {MessageId::CaptionConfirm, QT_TRANSLATE_NOOP("Messages", "确认")},
    {MessageId::CaptionError, QT_TRANSLATE_NOOP("Messages", "错误")},
    {MessageId::ButtonOk, QT_TRANSLATE_NOOP("Messages", "确定")},
    {MessageId::ButtonCancel, QT_TRANSLATE_NOOP("Messages", "取消")},

    {MessageId::Connecting, QT_TRANSLATE_NOOP("Messages", "连接中...")},
    {MessageId::PhoneCommError, QT_TRANSLATE_NOOP("Messages", "手机通信错误！")},
    {MessageId::ReadingData, QT_TRANSLATE_NOOP("Messages", "读取数据...")},
    {MessageId::ConnectDone, QT_TRANSLATE_NOOP("Messages", "连接手机成功")},
    {MessageId::ConnectFailed, QT_TRANSLATE_NOOP("Messages", "连接手机失败")},
    {MessageId::Disconnecting, QT_TRANSLATE_NOOP("Messages", "正在断开...")},
    {MessageId::Disconnected, QT_TRANSLATE_NOOP("Messages", "已断开连接")},
    {MessageId::NoAnswer, QT_TRANSLATE_NOOP("Messages", "未收到响应，检查连线")},
    {MessageId::ResultUnknown,
     QT_TRANSLATE_NOOP("Messages", "未收到手机的确认，操作可能已完成，请查看文件列表")},
    {MessageId::LineLost,
     QT_TRANSLATE_NOOP("Messages", "手机连接已断开（数据线或串口设备已拔出）")},
    {MessageId::EventIncomingCall, QT_TRANSLATE_NOOP("Messages", "手机来电，中断操作！")},
    {MessageId::EventBatteryLow, QT_TRANSLATE_NOOP("Messages", "手机电压不足，中断操作！")},
    {MessageId::EventTimeout, QT_TRANSLATE_NOOP("Messages", "操作超时！")},
    {MessageId::EventUserBreak, QT_TRANSLATE_NOOP("Messages", "用户中断连接")},
    {MessageId::Connected, QT_TRANSLATE_NOOP("Messages", "   COM%1已连接")},
    {MessageId::NotConnected, QT_TRANSLATE_NOOP("Messages", "   COM%1未连接")},

    {MessageId::LibraryLoadFailed, QT_TRANSLATE_NOOP("Messages", "加载libhandlink.so文件错误!")},
    {MessageId::ChooseFile, QT_TRANSLATE_NOOP("Messages", "请选择一个文件!")},
    {MessageId::EnterName, QT_TRANSLATE_NOOP("Messages", "请输入下载文件名!")},
    {MessageId::Busy, QT_TRANSLATE_NOOP("Messages", "正在进行其他操作，请等它结束后再试")},
    {MessageId::NameTooLong, QT_TRANSLATE_NOOP("Messages", "文件名太长!")},
    {MessageId::NameBadChars, QT_TRANSLATE_NOOP("Messages", "请输入字母和数字组成的文件名!")},

    {MessageId::ConfirmDownload,
     QT_TRANSLATE_NOOP("Messages", "你确定要下载文件\"%1\"到\"%2\"吗?(若有同名文件则覆盖)")},
    {MessageId::ConfirmRename, QT_TRANSLATE_NOOP("Messages", "你确定要将\"%1\"改为\"%2\"吗？")},
    {MessageId::ConfirmDelete, QT_TRANSLATE_NOOP("Messages", "你确定要删除文件\"%1\"吗？")},
    {MessageId::ConfirmFormat,
     QT_TRANSLATE_NOOP("Messages", "格式化将使文件全部丢失,手机会自动重启。你确定吗？")},
    {MessageId::PreviewPicture, QT_TRANSLATE_NOOP("Messages", "要在手机上预览吗?")},
    {MessageId::PreviewMelody, QT_TRANSLATE_NOOP("Messages", "要在手机上试听吗?")},
    {MessageId::KeepFile, QT_TRANSLATE_NOOP("Messages", "要保存文件吗?")},
    {MessageId::FormatNeedsYes,
     QT_TRANSLATE_NOOP("Messages", "格式化将使文件全部丢失,手机会自动重启。(give --yes)")},

    {MessageId::OpenFileFailed, QT_TRANSLATE_NOOP("Messages", "打开文件: %1错误！")},
    {MessageId::UnsupportedType, QT_TRANSLATE_NOOP("Messages", "不支持该下载文件类型")},
    {MessageId::TooManyFiles, QT_TRANSLATE_NOOP("Messages", "已超过可下载文件数,请先删除文件")},
    {MessageId::ConvertingPicture, QT_TRANSLATE_NOOP("Messages", "转换图形文件...")},
    {MessageId::ConvertingMelody, QT_TRANSLATE_NOOP("Messages", "转换MIDI文件...")},
    {MessageId::ConvertPictureFailed, QT_TRANSLATE_NOOP("Messages", "转换图形文件失败")},
    {MessageId::ConvertMelodyFailed, QT_TRANSLATE_NOOP("Messages", "转换MIDI文件失败！")},
    {MessageId::ConvertPictureDone, QT_TRANSLATE_NOOP("Messages", "转换图形文件成功")},
    {MessageId::ConvertMelodyDone, QT_TRANSLATE_NOOP("Messages", "转换MIDI文件成功！")},
    {MessageId::MelodyTooLarge,
     QT_TRANSLATE_NOOP("Messages", "所选择的MIDI文件格式转换后大于50K!")},
    {MessageId::FileTooLarge, QT_TRANSLATE_NOOP("Messages", "所选择的文件太大！")},
    {MessageId::NoSpace, QT_TRANSLATE_NOOP("Messages", "手机剩余空间不够！")},
    {MessageId::StartingDownload, QT_TRANSLATE_NOOP("Messages", "初始化下载...")},
    {MessageId::FileInUse, QT_TRANSLATE_NOOP("Messages", "该文件正在被使用！")},
    {MessageId::StartDownloadFailed, QT_TRANSLATE_NOOP("Messages", "初始化下载命令错误！")},
    {MessageId::StartPacketFailed, QT_TRANSLATE_NOOP("Messages", "发送数据起始包错误！")},
    {MessageId::SendingPacket, QT_TRANSLATE_NOOP("Messages", "正在发送第%1个数据包...")},
    {MessageId::PacketFailed, QT_TRANSLATE_NOOP("Messages", "发送第%1个数据包错误")},
    {MessageId::EndPacketFailed, QT_TRANSLATE_NOOP("Messages", "发送数据结束包错误！")},
    {MessageId::Previewing, QT_TRANSLATE_NOOP("Messages", "预览...")},
    {MessageId::PreviewSet, QT_TRANSLATE_NOOP("Messages", "已设置为预览")},
    {MessageId::SaveFailed, QT_TRANSLATE_NOOP("Messages", "文件\"%1\"保存失败")},
    {MessageId::DownloadSaved, QT_TRANSLATE_NOOP("Messages", "文件\"%1\"下载成功")},
    {MessageId::DownloadDiscarded, QT_TRANSLATE_NOOP("Messages", "文件\"%1\"未保存")},
    {MessageId::Discarding, QT_TRANSLATE_NOOP("Messages", "清除数据...")},

    {MessageId::ConfirmBatch,
     QT_TRANSLATE_NOOP("Messages", "你确定要下载这%1个文件到手机的\"%2\"吗?(若有同名文件则覆盖)")},
    {MessageId::KeepAll,
     QT_TRANSLATE_NOOP("Messages",
                       "这%1个文件传送后全部保存、不预览吗?(取消则每个文件传送后逐个询问)")},
    {MessageId::BatchStep, QT_TRANSLATE_NOOP("Messages", "文件%1/%2：%3\n%4")},
    {MessageId::BatchNameClash,
     QT_TRANSLATE_NOOP("Messages", "\"%1\"和\"%2\"在手机上都将是\"%3\"，请改名其中一个后再下载")},
    {MessageId::BatchNoName,
     QT_TRANSLATE_NOOP("Messages", "文件\"%1\"的名字中没有手机能用的字母或数字，请改名后再下载")},
    {MessageId::BatchSummary, QT_TRANSLATE_NOOP("Messages", "%2个文件中有%1个下载成功：\n%3")},
    {MessageId::BatchLine, QT_TRANSLATE_NOOP("Messages", "%1 → %2：%3")},
    {MessageId::BatchNotSent, QT_TRANSLATE_NOOP("Messages", "未发送：%1")},
    {MessageId::BatchCancelled, QT_TRANSLATE_NOOP("Messages", "已取消")},
    {MessageId::BatchUnfinished, QT_TRANSLATE_NOOP("Messages", "未下载完")},

    {MessageId::Renaming, QT_TRANSLATE_NOOP("Messages", "重命名文件...")},
    {MessageId::RenameFailed, QT_TRANSLATE_NOOP("Messages", "重命名文件失败！")},
    {MessageId::RenameDone, QT_TRANSLATE_NOOP("Messages", "重命名文件成功")},
    {MessageId::Deleting, QT_TRANSLATE_NOOP("Messages", "删除文件...")},
    {MessageId::DeleteFailed, QT_TRANSLATE_NOOP("Messages", "删除文件失败！")},
    {MessageId::DeleteDone, QT_TRANSLATE_NOOP("Messages", "删除文件成功")},
    {MessageId::Formatting, QT_TRANSLATE_NOOP("Messages", "格式化...")},
    {MessageId::FormatInUse,
     QT_TRANSLATE_NOOP("Messages", "有文件正在被使用，请先在手机上取消其设置")},
    {MessageId::FormatFailed, QT_TRANSLATE_NOOP("Messages", "格式化失败！")},
    {MessageId::Restarting, QT_TRANSLATE_NOOP("Messages", "正在重启...")},
    {MessageId::FormatReconnecting,
     QT_TRANSLATE_NOOP("Messages", "确认格式化：重新连接（第%1次，剩%2秒）...")},
    {MessageId::FormatReadingFiles, QT_TRANSLATE_NOOP("Messages", "确认格式化：读取手机文件...")},
    {MessageId::FormatDone, QT_TRANSLATE_NOOP("Messages", "格式化成功")},
    {MessageId::FormatNotDone, QT_TRANSLATE_NOOP("Messages", "手机没有格式化：文件仍在手机上")},
    {MessageId::FormatUnconfirmed,
     QT_TRANSLATE_NOOP("Messages",
                       "格式化命令已发出，但手机没有确认。请重新连接手机，查看文件是否已清除")},

    {MessageId::PortInvalid, QT_TRANSLATE_NOOP("Messages", "无效COM端口")},
    {MessageId::PortCannotOpen, QT_TRANSLATE_NOOP("Messages", "不能打开COM端口")},
    {MessageId::PortCannotOpenBecause,
     QT_TRANSLATE_NOOP("Messages", "不能打开COM端口\n系统的说明：%1")},
    {MessageId::PortBusy, QT_TRANSLATE_NOOP("Messages", "COM端口被占用")},
    {MessageId::LibraryVersionInvalid,
     QT_TRANSLATE_NOOP("Messages", "Invoked DLL Version invalid")},
    {MessageId::UnknownError, QT_TRANSLATE_NOOP("Messages", "Unknown Error ID")},
    {MessageId::FilterFileMissing, QT_TRANSLATE_NOOP("Messages", "FilterDef.txt file not found")},
    {MessageId::FilterSignalsMissing,
     QT_TRANSLATE_NOOP("Messages", "Signals not found in FilterDef.txt file")},
    {MessageId::SignallingSetupFailed, QT_TRANSLATE_NOOP("Messages", "手机信令初始化失败")},
    {MessageId::PortNotOpened, QT_TRANSLATE_NOOP("Messages", "COM端口不能打开")},
    {MessageId::OpenPortExportMissing, QT_TRANSLATE_NOOP("Messages", "Open com port error!")},
    {MessageId::SetupExportMissing, QT_TRANSLATE_NOOP("Messages", "Get SendSetup Address Failed!")},

    {MessageId::MelodyOverLimit,
     QT_TRANSLATE_NOOP("Messages",
                       "警告：转换后的旋律有%1字节，超过手机%2字节（50K）的上限，"
                       "下载时会被拒绝；加 --fit 可截短到上限以内")},
    {MessageId::MelodyWithoutNotes,
     QT_TRANSLATE_NOOP("Messages",
                       "%1：转换后的旋律没有任何音符（例如第一个音轨缺少结束事件），"
                       "作为铃声不会发声；未写入文件")},
    {MessageId::MelodyCutToFit,
     QT_TRANSLATE_NOOP("Messages", "旋律已截短到%1字节以内：保留%2秒，原长%3秒")},
    {MessageId::PictureEffectChoice,
     QT_TRANSLATE_NOOP("Messages", "--effect 只能是 fit（平铺）、stretch（拉伸）或 cover（填满）")},
    {MessageId::PictureCropFormat,
     QT_TRANSLATE_NOOP("Messages", "--crop 要四个整数 X,Y,W,H（宽W和高H大于0）")},
    {MessageId::PictureCenterFormat, QT_TRANSLATE_NOOP("Messages", "--center 要两个数 X,Y")},
    {MessageId::PictureZoomRange, QT_TRANSLATE_NOOP("Messages", "--zoom 要在%1到%2之间")},
    {MessageId::PictureCropWithZoom,
     QT_TRANSLATE_NOOP("Messages", "--crop 不能和 --zoom 或 --center 一起用")},
    {MessageId::PictureFrameOutside,
     QT_TRANSLATE_NOOP("Messages", "取景超出了图片（摆正后为%1 x %2像素）")},

    {MessageId::CheckConnection,
     QT_TRANSLATE_NOOP("Messages",
                       "请检查：数据线已接好，手机已开机并处于数据模式，选择的端口正确")},
    {MessageId::NothingKept, QT_TRANSLATE_NOOP("Messages", "手机没有保存这个文件，请重新下载")},
    {MessageId::LineLostNothingKept,
     QT_TRANSLATE_NOOP("Messages", "连接已断开（数据线或串口设备被拔出），手机没有保存这个文件")},
    {MessageId::SpaceNeeded,
     QT_TRANSLATE_NOOP("Messages", "这个文件占用%1字节，手机只有%2字节可用")},
    {MessageId::NameTaken, QT_TRANSLATE_NOOP("Messages", "手机上已有名为\"%1\"的文件")},
    {MessageId::NameRule,
     QT_TRANSLATE_NOOP("Messages", "手机的文件名最多8个字符，只能用英文字母和数字")},
    {MessageId::ProbeHint,
     QT_TRANSLATE_NOOP("Messages", "运行 zemlo-cli ports --probe 可查出哪个端口有手机应答")},

    {MessageId::ListingSpace, QT_TRANSLATE_NOOP("Messages", "容量%1字节，已用%2字节，可用%3字节")},
    {MessageId::NoSuchHandsetFile, QT_TRANSLATE_NOOP("Messages", "%1：%2里没有这个文件")},
};

constexpr size_t kCount = static_cast<size_t>(MessageId::Count);
static_assert(std::size(kTable) == kCount, "one entry for every message");

constexpr bool in_order() {
    for (size_t i = 0; i < kCount; ++i) {
        if (static_cast<size_t>(kTable[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(in_order(), "the table follows the order of MessageId");

}  // namespace

std::string fill_in(const std::string &text, const std::vector<std::string> &args) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto n = static_cast<size_t>(text[i + 1] - '1');
            if (n < args.size()) {
                out += args[n];
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

const char *source_text(MessageId id) {
    const auto i = static_cast<size_t>(id);
    return i < kCount ? kTable[i].text : "";
}

std::string render(MessageId id, const std::vector<std::string> &args) {
    if (id == MessageId::None) {
        return {};
    }
    const std::string text = QCoreApplication::translate(kContext, source_text(id)).toStdString();
    return fill_in(text, args);
}

namespace {

// The second line a message always has where its first says what failed but not what to do: the
// window's boxes and the command line show both.
MessageId standing_detail(MessageId id) {
    switch (id) {
        case MessageId::PhoneCommError:
        case MessageId::SignallingSetupFailed:
            return MessageId::CheckConnection;
        case MessageId::NameTooLong:
        case MessageId::NameBadChars:
            return MessageId::NameRule;
        default:
            return MessageId::None;
    }
}

}  // namespace

std::string render(const Message &message) {
    std::string text = render(message.id, message.args);
    const MessageId detail =
        message.detail != MessageId::None ? message.detail : standing_detail(message.id);
    if (detail != MessageId::None) {
        text += "\n" + render(detail, message.detail_args);
    }
    return text;
}

std::string render_headline(const Message &message) {
    return render(message.id, message.args);
}

}  // namespace zemlo::app
