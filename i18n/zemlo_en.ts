<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>FolderTree</name>
    <message>
        <source>主目录</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>桌面</source>
        <translation>Desktop</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>PlayTime</name>
    <message>
        <source>播放时间 %1</source>
        <translation>Play time %1</translation>
    </message>
</context>
<context>
    <name>SpaceGauge</name>
    <message>
        <source>(未连接)</source>
        <translation>(not connected)</translation>
    </message>
    <message>
        <source>已用空间:%1字节,剩余空间:%2字节</source>
        <translation>Used: %1 bytes, free: %2 bytes</translation>
    </message>
</context>
<context>
    <name>zemlo::shell::AboutDialog</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>手机屏保铃音下载软件2.0 版</source>
        <translation>Screen saver and ring tone loader 2.0</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>zemlo::shell::FileListView</name>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>大小(字节)</source>
        <translation>Size (bytes)</translation>
    </message>
</context>
<context>
    <name>zemlo::shell::MainWindow</name>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>格式化</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>其他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>下载文件类型:</source>
        <translation>File type:</translation>
    </message>
    <message>
        <source>连接</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>下载</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>重命名</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>断开</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>选择文件:</source>
        <translation>File:</translation>
    </message>
    <message>
        <source>下载到文件:</source>
        <translation>Save as:</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>屏保文件</source>
        <translation>Screen savers</translation>
    </message>
    <message>
        <source>铃音文件</source>
        <translation>Ring tones</translation>
    </message>
    <message>
        <source>图像文件</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>MIDI文件</source>
        <translation>MIDI files</translation>
    </message>
    <message>
        <source>无法打开帮助，请用浏览器打开帮助文件：
%1</source>
        <translation>The help could not be opened. Open the help file in a web browser:
%1</translation>
    </message>
</context>
<context>
    <name>zemlo::shell::MelodyPanel</name>
    <message>
        <source>播放时间</source>
        <translation>Play time</translation>
    </message>
</context>
<context>
    <name>zemlo::shell::PictureArea</name>
    <message>
        <source>未选择图片</source>
        <translation>No picture</translation>
    </message>
</context>
<context>
    <name>zemlo::shell::PicturePanel</name>
    <message>
        <source>显示效果：</source>
        <translation>Display:</translation>
    </message>
    <message>
        <source>平铺</source>
        <translation>Tile</translation>
    </message>
    <message>
        <source>拉伸</source>
        <translation>Stretch</translation>
    </message>
</context>
<context>
    <name>zemlo::shell::PortDialog</name>
    <message>
        <source>端口设置</source>
        <translation>Port Settings</translation>
    </message>
    <message>
        <source>COM端口设置：</source>
        <translation>COM port:</translation>
    </message>
    <message>
        <source>对应设备：</source>
        <translation>Device:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 (默认)</source>
        <translation>%1 (default)</translation>
    </message>
</context>
<context>
    <name>zemlo::shell::WaitWindow</name>
    <message>
        <source>请稍候....</source>
        <translation>Please wait....</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
</context>
</TS>
