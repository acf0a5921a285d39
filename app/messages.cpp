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
    {MessageId::HelpSynopsis,
     QT_TRANSLATE_NOOP(
         "Messages",
         "用法：zemlo-cli [--port N[,N...] | --device PATH...] [--trace FILE] [--deadline SECONDS] "
         "COMMAND [ARGS...]\n      zemlo-cli --help | --version")},
    {MessageId::HelpCommands, QT_TRANSLATE_NOOP("Messages", "命令：")},
    {MessageId::HelpOptions,
     QT_TRANSLATE_NOOP(
         "Messages",
         "手机命令的选项（写在命令名之前或之后均可）：\n  --port N[,N...]      "
         "手机的COM编号；download 和 list 可同时用于多部手机\n  --device PATH        "
         "串口设备本身（多部手机时重复此选项）\n  --trace FILE         把连接的协议记录写入FILE\n  "
         "--deadline SECONDS   手机命令超过这个秒数就停止（默认%1）")},
    {MessageId::HelpLimits,
     QT_TRANSLATE_NOOP("Messages",
                       "手机的限制：\n  文件名：最多8个字符，只能用英文字母和数字\n  铃声：  "
                       "转换后每首最多51200字节，文件夹里最多20首\n  图片：  "
                       "转换后每张30748字节，文件夹里最多10张")},
    {MessageId::HelpExitStatus,
     QT_TRANSLATE_NOOP("Messages", "退出状态：0 完成，1 失败，2 用法或输入有误，3 无法打开端口")},
    {MessageId::UsageLine, QT_TRANSLATE_NOOP("Messages", "用法：zemlo-cli %1 %2")},
    {MessageId::UnknownCommand, QT_TRANSLATE_NOOP("Messages", "没有“%1”这个命令")},
    {MessageId::DidYouMean, QT_TRANSLATE_NOOP("Messages", "你是不是想用 %1？")},
    {MessageId::SummaryConvertMelody,
     QT_TRANSLATE_NOOP("Messages",
                       "把MIDI文件转换成手机的铃声文件（手机最多接受51200字节）；--fit "
                       "把更长的铃声截到这个限度")},
    {MessageId::SummaryConvertPicture,
     QT_TRANSLATE_NOOP(
         "Messages",
         "为bmp、gif、jpg、ico、emf或wmf图片写出手机的图片文件；--preview "
         "另写一个PNG，显示手机上的样子。--crop（摆正后图片的像素）或 --zoom 和 --center "
         "选择显示的部分；--dither 分散16位色的误差，使渐变不出现色带；--no-autorotate "
         "不理会照片的方向标记；--verbose 显示转换器自己的输出。手机的图片文件为30748字节")},
    {MessageId::SummaryDownload,
     QT_TRANSLATE_NOOP(
         "Messages",
         "转换图片和MIDI文件，并在一次连接中下载到手机（名字默认取文件自己的：最多8个英文字母和数字"
         "；--name-from-file 由它取一个手机接受的名字；--name 只给单个文件命名）；图片选项与 "
         "convert picture 相同，--fit 截短超出手机限度的铃声；手机上的同名文件只有给了 --replace "
         "或在终端上答应时才被替换；--preview 在手机上逐个预览或试听，--discard 不保存，--dry-run "
         "只连接并说明会发生什么（大小、名字、替换什么、剩余空间），不发送任何数据；--verbose "
         "显示图片转换器的输出；每个文件一行，或用 "
         "--"
         "json；只有全部文件都到达时退出状态才是0。铃声最多51200字节；一个文件夹最多放10张图片或20"
         "首铃声")},
    {MessageId::SummaryRename,
     QT_TRANSLATE_NOOP("Messages", "重命名手机上的文件（OLD 可带可不带扩展名；NEW 不带）")},
    {MessageId::SummaryDelete, QT_TRANSLATE_NOOP("Messages", "删除手机上的文件")},
    {MessageId::SummaryFormat,
     QT_TRANSLATE_NOOP("Messages", "格式化手机的媒体存储：所有文件都会丢失，手机会重启")},
    {MessageId::SummaryList,
     QT_TRANSLATE_NOOP(
         "Messages", "连接手机，显示容量、已用和可用空间，以及两个文件夹里的文件和各自的占用大小")},
    {MessageId::SummaryPlay,
     QT_TRANSLATE_NOOP("Messages", "播放MIDI文件（或渲染成WAV文件）并显示它的长度")},
    {MessageId::SummaryPorts,
     QT_TRANSLATE_NOOP("Messages",
                       "列出串口设备及其说明和COM编号；--probe 逐个试着握手，说出哪个有应答")},
    {MessageId::ExpectedFilesToDownload, QT_TRANSLATE_NOOP("Messages", "请给出要下载的文件")},
    {MessageId::NameForOneFile,
     QT_TRANSLATE_NOOP("Messages", "--name 只能给单个文件命名；请改用 --name-from-file")},
    {MessageId::NameOrNameFromFile,
     QT_TRANSLATE_NOOP("Messages", "--name 和 --name-from-file 不能一起用")},
    {MessageId::PictureOptionsOnly, QT_TRANSLATE_NOOP("Messages", "图片选项只适用于图片")},
    {MessageId::FitMelodiesOnly, QT_TRANSLATE_NOOP("Messages", "--fit 只适用于铃声")},
    {MessageId::BothWouldBe,
     QT_TRANSLATE_NOOP("Messages",
                       "%1 和 %2 在手机上都会成为 %3；请用 --name-from-file 或重命名其中一个")},
    {MessageId::TypeNotKnown, QT_TRANSLATE_NOOP("Messages",
                                                "无法从扩展名判断 %1 是图片（bmp gif jpg ico emf "
                                                "wmf）还是铃声（mid midi）；请用 --type 指定")},
    {MessageId::NameGivenGiveName,
     QT_TRANSLATE_NOOP("Messages", "（\"%1\"；请用 --name 另给一个）")},
    {MessageId::NameGivenFromFile,
     QT_TRANSLATE_NOOP("Messages", "（\"%1\"；请用 --name-from-file）")},
    {MessageId::MelodyOverFitHint,
     QT_TRANSLATE_NOOP("Messages", "（%1 > %2字节；--fit 可截短到限度以内）")},
    {MessageId::ReplaceQuestion, QT_TRANSLATE_NOOP("Messages", "要替换手机上的 %1 吗？")},
    {MessageId::ReplaceNeedsOption,
     QT_TRANSLATE_NOOP("Messages",
                       "手机上已有 %1：要替换它请用 --replace，或用 --name 另取一个名字")},
    {MessageId::DownloadFileOf, QT_TRANSLATE_NOOP("Messages", "第%1个文件（共%2个）：%3")},
    {MessageId::NotDownloaded, QT_TRANSLATE_NOOP("Messages", "未下载")},
    {MessageId::Interrupted, QT_TRANSLATE_NOOP("Messages", "已中断")},
    {MessageId::DryRunNotSent, QT_TRANSLATE_NOOP("Messages", "不会发送：%1")},
    {MessageId::DryRunRefused, QT_TRANSLATE_NOOP("Messages", "会被拒绝：%1")},
    {MessageId::DryRunSend,
     QT_TRANSLATE_NOOP("Messages", "会发送%1字节（在手机上占%2字节），之后可用%3字节")},
    {MessageId::DryRunReplace,
     QT_TRANSLATE_NOOP("Messages", "会发送%1字节（在手机上占%2字节），会替换%3，之后可用%4字节")},
    {MessageId::DryRunSummary,
     QT_TRANSLATE_NOOP("Messages", "试运行：没有发送任何数据；现在可用%1字节，之后可用%2字节")},
    {MessageId::NoSoundDevice,
     QT_TRANSLATE_NOOP("Messages",
                       "没有声音设备？可以把铃声渲染成文件：zemlo-cli play %1 --wav OUT.wav")},
    {MessageId::PortsNoArguments, QT_TRANSLATE_NOOP("Messages", "ports 不接受参数")},
    {MessageId::NoSerialDevices, QT_TRANSLATE_NOOP("Messages", "没有找到串口设备")},
    {MessageId::PortInUse, QT_TRANSLATE_NOOP("Messages", "手机命令使用COM%1（%2）")},
    {MessageId::PortInUseMissing,
     QT_TRANSLATE_NOOP(
         "Messages",
         "手机命令使用COM%1（%2），但它不存在：请用 --port 或 --device 选择下面的端口")},
    {MessageId::NoComNumber, QT_TRANSLATE_NOOP("Messages", "（无COM编号）")},
    {MessageId::DeviceMissing, QT_TRANSLATE_NOOP("Messages", "（不存在）")},
    {MessageId::FieldDescription, QT_TRANSLATE_NOOP("Messages", "说明")},
    {MessageId::FieldManufacturer, QT_TRANSLATE_NOOP("Messages", "制造商")},
    {MessageId::FieldDriver, QT_TRANSLATE_NOOP("Messages", "驱动")},
    {MessageId::FieldSerialNumber, QT_TRANSLATE_NOOP("Messages", "序列号")},
    {MessageId::FieldLatencyTimer, QT_TRANSLATE_NOOP("Messages", "延迟计时器")},
    {MessageId::FieldLowLatency, QT_TRANSLATE_NOOP("Messages", "低延迟模式")},
    {MessageId::LowLatencyOn, QT_TRANSLATE_NOOP("Messages", "已开启")},
    {MessageId::LowLatencyAlreadyOn, QT_TRANSLATE_NOOP("Messages", "原已开启")},
    {MessageId::LowLatencyRefused, QT_TRANSLATE_NOOP("Messages", "被拒绝")},
    {MessageId::LowLatencyUnsupported, QT_TRANSLATE_NOOP("Messages", "不支持")},
    {MessageId::LowLatencyUnknown, QT_TRANSLATE_NOOP("Messages", "未知")},
    {MessageId::LatencyRuleHint,
     QT_TRANSLATE_NOOP("Messages",
                       "每次应答最多要等%1 ms；下面这条udev规则在插入时把计时器设为1 ms\n    "
                       "（写进 /etc/udev/rules.d/99-zemlo-latency.rules，再运行 sudo udevadm "
                       "control --reload，然后重新插入适配器）：")},
    {MessageId::ProbeAnswers, QT_TRANSLATE_NOOP("Messages", "探测：有手机应答")},
    {MessageId::ProbeNoAnswer, QT_TRANSLATE_NOOP("Messages", "探测：没有应答")},
    {MessageId::ProbeCannotOpen, QT_TRANSLATE_NOOP("Messages", "探测：无法打开：%1")},
    {MessageId::NoHandsetAnswered,
     QT_TRANSLATE_NOOP("Messages",
                       "没有手机应答：请检查数据线，手机已开机并处于数据模式；模拟器的链接（handsim"
                       " --link PATH）如果没有列出，请用 --device PATH 指定")},
    {MessageId::HandsetFound, QT_TRANSLATE_NOOP("Messages", "在 %1 上找到手机：请用 --device %1")},
    {MessageId::HandsetFoundWithCom,
     QT_TRANSLATE_NOOP("Messages", "在 %1 上找到手机：请用 --device %1 或 --port %2")},
    {MessageId::UnknownOption, QT_TRANSLATE_NOOP("Messages", "没有 %1 这个选项")},
    {MessageId::OptionMeant, QT_TRANSLATE_NOOP("Messages", "%1（你是不是想用 %2？）")},
    {MessageId::OptionNeedsValue, QT_TRANSLATE_NOOP("Messages", "%1 需要一个值")},
    {MessageId::NoSuchInputFile, QT_TRANSLATE_NOOP("Messages", "%1：没有这个文件")},
    {MessageId::NotRegularFile, QT_TRANSLATE_NOOP("Messages", "%1：不是普通文件")},
    {MessageId::TypeWord, QT_TRANSLATE_NOOP("Messages", "--type 只能是 picture 或 melody")},
    {MessageId::ExpectedMidiAndOutput,
     QT_TRANSLATE_NOOP("Messages", "请给出一个MIDI文件和一个输出文件")},
    {MessageId::ExpectedPictureAndOutput,
     QT_TRANSLATE_NOOP("Messages", "请给出一个输入图片和一个输出文件")},
    {MessageId::ExpectedRenameArgs, QT_TRANSLATE_NOOP("Messages", "请给出文件夹、原名和新名")},
    {MessageId::FolderWord, QT_TRANSLATE_NOOP("Messages", "文件夹只能是 pic 或 melody")},
    {MessageId::NewNameEmpty, QT_TRANSLATE_NOOP("Messages", "新名字是空的")},
    {MessageId::ExpectedDeleteArgs, QT_TRANSLATE_NOOP("Messages", "请给出文件夹和文件名")},
    {MessageId::NoFileNames, QT_TRANSLATE_NOOP("Messages", "%1 不接受文件名")},
    {MessageId::ExpectedOneMidi, QT_TRANSLATE_NOOP("Messages", "请给出一个MIDI文件")},

    {MessageId::PortIsDevice, QT_TRANSLATE_NOOP("Messages", "COM%1 是 %2")},
    {MessageId::DiagnosisWhy, QT_TRANSLATE_NOOP("Messages", "原因：%1")},
    {MessageId::DiagnosisFix, QT_TRANSLATE_NOOP("Messages", "解决：%1")},
    {MessageId::DiagnosisFixMore, QT_TRANSLATE_NOOP("Messages", "      %1")},
    {MessageId::PermissionNewSession,
     QT_TRANSLATE_NOOP("Messages", "没有权限打开 %1：%2 已在 %3 组中，但这次登录早于加入该组")},
    {MessageId::LogInAgainOrNewgrp,
     QT_TRANSLATE_NOOP("Messages", "注销后重新登录（或用这个组启动一个shell：newgrp %1）")},
    {MessageId::PermissionInGroup,
     QT_TRANSLATE_NOOP("Messages", "%2 已在 %3 组中，但仍没有权限打开 %1")},
    {MessageId::CheckDeviceMode, QT_TRANSLATE_NOOP("Messages", "检查设备的权限：ls -l %1")},
    {MessageId::PermissionNotInGroup,
     QT_TRANSLATE_NOOP("Messages", "没有权限打开 %1：%2 不在 %3 组中")},
    {MessageId::LogInAgainForGroup,
     QT_TRANSLATE_NOOP("Messages", "然后注销并重新登录，新的组才会生效")},
    {MessageId::PortBusyHeld, QT_TRANSLATE_NOOP("Messages", "%1 正忙：另一个程序占用着它")},
    {MessageId::PortBusyHeldBy, QT_TRANSLATE_NOOP("Messages", "%1 正忙：另一个程序占用着它（%2）")},
    {MessageId::ModemManagerHolds,
     QT_TRANSLATE_NOOP("Messages",
                       "ModemManager 会探测新接入的USB串口设备：用一条udev规则让它不碰这个设备：")},
    {MessageId::ModemManagerMaybe,
     QT_TRANSLATE_NOOP(
         "Messages",
         "如果是 ModemManager（它会探测新接入的USB串口设备）：用一条udev规则让它不碰这个设备：")},
    {MessageId::ReplugCable, QT_TRANSLATE_NOOP("Messages", "然后拔下数据线再插上")},
    {MessageId::CloseHolder, QT_TRANSLATE_NOOP("Messages", "关闭占用它的程序，然后再试")},
    {MessageId::NoSuchDevice, QT_TRANSLATE_NOOP("Messages", "没有这个设备：%1")},
    {MessageId::NoSerialDeviceFound,
     QT_TRANSLATE_NOOP("Messages",
                       "没有找到串口设备：请检查数据线是否插好（zemlo-cli ports 可列出串口设备）")},
    {MessageId::SerialDevicesThatExist, QT_TRANSLATE_NOOP("Messages", "现有的串口设备：%1")},
    {MessageId::PickWithDevice,
     QT_TRANSLATE_NOOP("Messages",
                       "用 --device PATH 选择一个（zemlo-cli ports --probe 可找出手机）")},
    {MessageId::OtherKindOfFile, QT_TRANSLATE_NOOP("Messages", "%1 是%2，不是串口设备")},
    {MessageId::KindSocket, QT_TRANSLATE_NOOP("Messages", "套接字")},
    {MessageId::KindNamedPipe, QT_TRANSLATE_NOOP("Messages", "命名管道")},
    {MessageId::KindFolder, QT_TRANSLATE_NOOP("Messages", "文件夹")},
    {MessageId::KindRegularFile, QT_TRANSLATE_NOOP("Messages", "普通文件")},
    {MessageId::KindBlockDevice, QT_TRANSLATE_NOOP("Messages", "块设备")},
    {MessageId::NotSerialDevice, QT_TRANSLATE_NOOP("Messages", "%1 不是串口设备")},
    {MessageId::GiveSerialDevice,
     QT_TRANSLATE_NOOP("Messages",
                       "用 --device 给出手机的串口设备（zemlo-cli ports 可列出串口设备）")},
    {MessageId::OpensNow, QT_TRANSLATE_NOOP("Messages", "%1 现在能打开了；刚才可能暂时被占用")},
    {MessageId::TryAgain, QT_TRANSLATE_NOOP("Messages", "再试一次")},
    {MessageId::CannotOpenDevice, QT_TRANSLATE_NOOP("Messages", "无法打开 %1：%2")},

    {MessageId::ProgressLine, QT_TRANSLATE_NOOP("Messages", "数据包%1/%2  %3/%4字节")},
    {MessageId::ProgressTimeLeft, QT_TRANSLATE_NOOP("Messages", "还剩%1秒")},
    {MessageId::MelodyConverted, QT_TRANSLATE_NOOP("Messages", "%1：%2字节，合并了%3个音轨")},
    {MessageId::MelodyEndsEarly,
     QT_TRANSLATE_NOOP("Messages", "警告：%1：旋律在第%2字节提前结束（%3）；之前的事件都保留")},
    {MessageId::MelodyTracksCut,
     QT_TRANSLATE_NOOP("Messages", "警告：%1：%2个音轨有事件越过了音轨的结尾，音轨在那里结束")},
    {MessageId::StopBadTempoLength, QT_TRANSLATE_NOOP("Messages", "长度不是3的速度事件")},
    {MessageId::StopBadEndOfTrackLength, QT_TRANSLATE_NOOP("Messages", "长度不是0的音轨结束事件")},
    {MessageId::StopBadStatus, QT_TRANSLATE_NOOP("Messages", "MIDI文件里不该有的系统状态字节")},
    {MessageId::FleetHandset, QT_TRANSLATE_NOOP("Messages", "手机")},
    {MessageId::FleetResult, QT_TRANSLATE_NOOP("Messages", "结果")},
    {MessageId::FleetTime, QT_TRANSLATE_NOOP("Messages", "时间")},
    {MessageId::FleetRate, QT_TRANSLATE_NOOP("Messages", "字节/秒")},
    {MessageId::FleetOk, QT_TRANSLATE_NOOP("Messages", "成功")},
    {MessageId::FleetFailed, QT_TRANSLATE_NOOP("Messages", "失败")},
    {MessageId::FleetWholeCommand,
     QT_TRANSLATE_NOOP("Messages", "（时间和字节/秒按每台手机的整个命令计算，连接也算在内）")},
    {MessageId::FleetFailures, QT_TRANSLATE_NOOP("Messages", "%2台手机中有%1台失败：%3")},
    {MessageId::FleetStarting, QT_TRANSLATE_NOOP("Messages", "正在启动")},
    {MessageId::FleetDone, QT_TRANSLATE_NOOP("Messages", "完成")},
    {MessageId::OptionGivenTwice, QT_TRANSLATE_NOOP("Messages", "%1 只能给一次")},
    {MessageId::PortTakesNumber, QT_TRANSLATE_NOOP("Messages", "--port 要用1到%1的COM编号")},
    {MessageId::SeveralPortsOnly,
     QT_TRANSLATE_NOOP("Messages", "多个端口只能用于 download 和 list")},
    {MessageId::DeadlineTakesSeconds, QT_TRANSLATE_NOOP("Messages", "--deadline 要用1到%1的秒数")},
    {MessageId::PortOrDevice, QT_TRANSLATE_NOOP("Messages", "--port 和 --device 只能给一个")},
    {MessageId::DeadlinePassed,
     QT_TRANSLATE_NOOP("Messages", "手机命令在%1秒内没有结束（--deadline）：已停止")},
    {MessageId::StoppedCommandStuck,
     QT_TRANSLATE_NOOP("Messages", "停止的命令仍然没有结束；不断开连接就退出")},
    {MessageId::TraceNotWritable, QT_TRANSLATE_NOOP("Messages", "无法写入跟踪文件 %1")},
    {MessageId::WorkerNotStarted, QT_TRANSLATE_NOOP("Messages", "无法启动子进程：%1")},
    {MessageId::WorkerEndedBySignal, QT_TRANSLATE_NOOP("Messages", "被信号%1结束")},
    {MessageId::WorkersNeedTheProgram,
     QT_TRANSLATE_NOOP("Messages", "找不到本程序，无法启动子进程")},
    {MessageId::WindowsPortName,
     QT_TRANSLATE_NOOP("Messages",
                       "\"%1\" 是 Windows 的端口名；在 Linux 上请用 --device %2（或 --port %3，"
                       "它对应 %2）")},
    {MessageId::DeviceTrailingColon,
     QT_TRANSLATE_NOOP("Messages", "\"%1\"：Linux 的设备名末尾没有\":\"；请用 --device %2")},
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
