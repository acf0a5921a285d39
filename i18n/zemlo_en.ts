<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>BoxCaption</name>
    <message>
        <source>确认</source>
        <comment>an error</comment>
        <translation>Error</translation>
    </message>
    <message>
        <source>确认</source>
        <comment>the handset was formatted</comment>
        <translation>Formatted</translation>
    </message>
    <message>
        <source>确认</source>
        <comment>an operation has ended</comment>
        <translation>Done</translation>
    </message>
</context>
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
    <name>Messages</name>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
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
        <source>连接中...</source>
        <translation>Connecting...</translation>
    </message>
    <message>
        <source>手机通信错误！</source>
        <translation>Handset communication error!</translation>
    </message>
    <message>
        <source>读取数据...</source>
        <translation>Reading data...</translation>
    </message>
    <message>
        <source>连接手机成功</source>
        <translation>Connected to the handset</translation>
    </message>
    <message>
        <source>连接手机失败</source>
        <translation>Could not connect to the handset</translation>
    </message>
    <message>
        <source>正在断开...</source>
        <translation>Disconnecting...</translation>
    </message>
    <message>
        <source>已断开连接</source>
        <translation>Disconnected</translation>
    </message>
    <message>
        <source>未收到响应，检查连线</source>
        <translation>No answer, check the cable</translation>
    </message>
    <message>
        <source>未收到手机的确认，操作可能已完成，请查看文件列表</source>
        <translation>The handset did not confirm: it may have done it; check the file list</translation>
    </message>
    <message>
        <source>手机连接已断开（数据线或串口设备已拔出）</source>
        <translation>Link lost: cable or device unplugged</translation>
    </message>
    <message>
        <source>手机来电，中断操作！</source>
        <translation>Incoming call, operation stopped!</translation>
    </message>
    <message>
        <source>手机电压不足，中断操作！</source>
        <translation>Handset battery low, operation stopped!</translation>
    </message>
    <message>
        <source>操作超时！</source>
        <translation>The operation timed out!</translation>
    </message>
    <message>
        <source>用户中断连接</source>
        <translation>Connection stopped on the handset</translation>
    </message>
    <message>
        <source>   COM%1已连接</source>
        <translation>   COM%1 connected</translation>
    </message>
    <message>
        <source>   COM%1未连接</source>
        <translation>   COM%1 not connected</translation>
    </message>
    <message>
        <source>加载libhandlink.so文件错误!</source>
        <translation>Cannot load libhandlink.so!</translation>
    </message>
    <message>
        <source>请选择一个文件!</source>
        <translation>Please choose a file!</translation>
    </message>
    <message>
        <source>请输入下载文件名!</source>
        <translation>Please type a name for the download!</translation>
    </message>
    <message>
        <source>正在进行其他操作，请等它结束后再试</source>
        <translation>Busy; try again when it is done</translation>
    </message>
    <message>
        <source>文件名太长!</source>
        <translation>The name is too long!</translation>
    </message>
    <message>
        <source>请输入字母和数字组成的文件名!</source>
        <translation>The name must be letters and digits!</translation>
    </message>
    <message>
        <source>你确定要下载文件&quot;%1&quot;到&quot;%2&quot;吗?(若有同名文件则覆盖)</source>
        <translation>Download the file &quot;%1&quot; as &quot;%2&quot;? (A file of the same name is replaced.)</translation>
    </message>
    <message>
        <source>你确定要将&quot;%1&quot;改为&quot;%2&quot;吗？</source>
        <translation>Rename &quot;%1&quot; to &quot;%2&quot;?</translation>
    </message>
    <message>
        <source>你确定要删除文件&quot;%1&quot;吗？</source>
        <translation>Delete the file &quot;%1&quot;?</translation>
    </message>
    <message>
        <source>格式化将使文件全部丢失,手机会自动重启。你确定吗？</source>
        <translation>Formatting deletes every file and the handset restarts by itself. Format?</translation>
    </message>
    <message>
        <source>要在手机上预览吗?</source>
        <translation>Preview it on the handset?</translation>
    </message>
    <message>
        <source>要在手机上试听吗?</source>
        <translation>Listen to it on the handset?</translation>
    </message>
    <message>
        <source>要保存文件吗?</source>
        <translation>Keep the file?</translation>
    </message>
    <message>
        <source>格式化将使文件全部丢失,手机会自动重启。(give --yes)</source>
        <translation>Formatting deletes every file and the handset restarts by itself. (give --yes)</translation>
    </message>
    <message>
        <source>打开文件: %1错误！</source>
        <translation>Cannot open the file: %1!</translation>
    </message>
    <message>
        <source>不支持该下载文件类型</source>
        <translation>This file type cannot be downloaded</translation>
    </message>
    <message>
        <source>已超过可下载文件数,请先删除文件</source>
        <translation>Too many files; delete a file first</translation>
    </message>
    <message>
        <source>转换图形文件...</source>
        <translation>Converting the picture...</translation>
    </message>
    <message>
        <source>转换MIDI文件...</source>
        <translation>Converting the MIDI file...</translation>
    </message>
    <message>
        <source>转换图形文件失败</source>
        <translation>The picture could not be converted</translation>
    </message>
    <message>
        <source>转换MIDI文件失败！</source>
        <translation>The MIDI file could not be converted!</translation>
    </message>
    <message>
        <source>转换图形文件成功</source>
        <translation>Picture converted</translation>
    </message>
    <message>
        <source>转换MIDI文件成功！</source>
        <translation>MIDI file converted!</translation>
    </message>
    <message>
        <source>所选择的MIDI文件格式转换后大于50K!</source>
        <translation>The converted MIDI file is larger than 50K!</translation>
    </message>
    <message>
        <source>所选择的文件太大！</source>
        <translation>The file is too large!</translation>
    </message>
    <message>
        <source>手机剩余空间不够！</source>
        <translation>Not enough free space on the handset!</translation>
    </message>
    <message>
        <source>初始化下载...</source>
        <translation>Starting the download...</translation>
    </message>
    <message>
        <source>该文件正在被使用！</source>
        <translation>The file is in use!</translation>
    </message>
    <message>
        <source>初始化下载命令错误！</source>
        <translation>The download could not be started!</translation>
    </message>
    <message>
        <source>发送数据起始包错误！</source>
        <translation>Sending the start packet failed!</translation>
    </message>
    <message>
        <source>正在发送第%1个数据包...</source>
        <translation>Sending packet %1...</translation>
    </message>
    <message>
        <source>发送第%1个数据包错误</source>
        <translation>Sending packet %1 failed</translation>
    </message>
    <message>
        <source>发送数据结束包错误！</source>
        <translation>Sending the end packet failed!</translation>
    </message>
    <message>
        <source>预览...</source>
        <translation>Previewing...</translation>
    </message>
    <message>
        <source>已设置为预览</source>
        <translation>Set for preview</translation>
    </message>
    <message>
        <source>文件&quot;%1&quot;保存失败</source>
        <translation>The file &quot;%1&quot; could not be kept</translation>
    </message>
    <message>
        <source>文件&quot;%1&quot;下载成功</source>
        <translation>The file &quot;%1&quot; was downloaded</translation>
    </message>
    <message>
        <source>文件&quot;%1&quot;未保存</source>
        <translation>The file &quot;%1&quot; was not kept</translation>
    </message>
    <message>
        <source>清除数据...</source>
        <translation>Discarding the data...</translation>
    </message>
    <message>
        <source>重命名文件...</source>
        <translation>Renaming the file...</translation>
    </message>
    <message>
        <source>重命名文件失败！</source>
        <translation>Rename failed!</translation>
    </message>
    <message>
        <source>重命名文件成功</source>
        <translation>File renamed</translation>
    </message>
    <message>
        <source>删除文件...</source>
        <translation>Deleting the file...</translation>
    </message>
    <message>
        <source>删除文件失败！</source>
        <translation>Delete failed!</translation>
    </message>
    <message>
        <source>删除文件成功</source>
        <translation>File deleted</translation>
    </message>
    <message>
        <source>格式化...</source>
        <translation>Formatting...</translation>
    </message>
    <message>
        <source>有文件正在被使用，请先在手机上取消其设置</source>
        <translation>File in use: change it on the handset</translation>
    </message>
    <message>
        <source>格式化失败！</source>
        <translation>Format failed!</translation>
    </message>
    <message>
        <source>正在重启...</source>
        <translation>Restarting...</translation>
    </message>
    <message>
        <source>格式化成功</source>
        <translation>Formatted</translation>
    </message>
    <message>
        <source>无效COM端口</source>
        <translation>Invalid COM port</translation>
    </message>
    <message>
        <source>不能打开COM端口</source>
        <translation>The COM port cannot be opened</translation>
    </message>
    <message>
        <source>COM端口被占用</source>
        <translation>The COM port is in use</translation>
    </message>
    <message>
        <source>Invoked DLL Version invalid</source>
        <translation>Invoked DLL Version invalid</translation>
    </message>
    <message>
        <source>Unknown Error ID</source>
        <translation>Unknown Error ID</translation>
    </message>
    <message>
        <source>FilterDef.txt file not found</source>
        <translation>FilterDef.txt file not found</translation>
    </message>
    <message>
        <source>Signals not found in FilterDef.txt file</source>
        <translation>Signals not found in FilterDef.txt file</translation>
    </message>
    <message>
        <source>手机信令初始化失败</source>
        <translation>The handset signalling could not be set up</translation>
    </message>
    <message>
        <source>COM端口不能打开</source>
        <translation>The COM port could not be opened</translation>
    </message>
    <message>
        <source>Open com port error!</source>
        <translation>Open com port error!</translation>
    </message>
    <message>
        <source>Get SendSetup Address Failed!</source>
        <translation>Get SendSetup Address Failed!</translation>
    </message>
    <message>
        <source>警告：转换后的旋律有%1字节，超过手机%2字节（50K）的上限，下载时会被拒绝；加 --fit 可截短到上限以内</source>
        <translation>warning: the melody is %1 bytes, over the handset&apos;s %2 (50K); --fit cuts it</translation>
    </message>
    <message>
        <source>%1：转换后的旋律没有任何音符（例如第一个音轨缺少结束事件），作为铃声不会发声；未写入文件</source>
        <translation>%1: the melody has no notes (a first track with no end?); not written</translation>
    </message>
    <message>
        <source>旋律已截短到%1字节以内：保留%2秒，原长%3秒</source>
        <translation>Melody cut to fit within %1 bytes: %2 s kept of %3 s</translation>
    </message>
    <message>
        <source>--effect 只能是 fit（平铺）、stretch（拉伸）或 cover（填满）</source>
        <translation>--effect must be fit, stretch or cover</translation>
    </message>
    <message>
        <source>--crop 要四个整数 X,Y,W,H（宽W和高H大于0）</source>
        <translation>--crop: whole numbers X,Y,W,H, W and H above 0</translation>
    </message>
    <message>
        <source>--center 要两个数 X,Y</source>
        <translation>--center takes two numbers X,Y</translation>
    </message>
    <message>
        <source>--zoom 要在%1到%2之间</source>
        <translation>--zoom: from %1 to %2</translation>
    </message>
    <message>
        <source>--crop 不能和 --zoom 或 --center 一起用</source>
        <translation>--crop goes without --zoom, --center</translation>
    </message>
    <message>
        <source>取景超出了图片（摆正后为%1 x %2像素）</source>
        <translation>the frame lies outside the picture (%1 x %2 pixels once upright)</translation>
    </message>
    <message>
        <source>不能打开COM端口
系统的说明：%1</source>
        <translation>The COM port cannot be opened
The system says: %1</translation>
    </message>
    <message>
        <source>请检查：数据线已接好，手机已开机并处于数据模式，选择的端口正确</source>
        <translation>check that the cable is plugged in, the handset is on and in its data mode, and the right port is chosen</translation>
    </message>
    <message>
        <source>手机没有保存这个文件，请重新下载</source>
        <translation>nothing was kept; download it again</translation>
    </message>
    <message>
        <source>连接已断开（数据线或串口设备被拔出），手机没有保存这个文件</source>
        <translation>the line was lost (cable or adapter pulled out); nothing was kept</translation>
    </message>
    <message>
        <source>这个文件占用%1字节，手机只有%2字节可用</source>
        <translation>the file needs %1 bytes; the handset has %2 bytes free</translation>
    </message>
    <message>
        <source>手机上已有名为&quot;%1&quot;的文件</source>
        <translation>&quot;%1&quot; is already on the handset</translation>
    </message>
    <message>
        <source>容量%1字节，已用%2字节，可用%3字节</source>
        <translation>capacity %1 bytes, used %2, free %3</translation>
    </message>
    <message>
        <source>%1：%2里没有这个文件</source>
        <translation>%1: no such file in %2</translation>
    </message>
    <message>
        <source>用法：zemlo-cli [--port N[,N...] | --device PATH...] [--trace FILE] [--deadline SECONDS] COMMAND [ARGS...]
      zemlo-cli --help | --version</source>
        <translation>usage: zemlo-cli [--port N[,N...] | --device PATH...] [--trace FILE] [--deadline SECONDS] COMMAND [ARGS...]
       zemlo-cli --help | --version</translation>
    </message>
    <message>
        <source>命令：</source>
        <translation>commands:</translation>
    </message>
    <message>
        <source>手机命令的选项（写在命令名之前或之后均可）：
  --port N[,N...]      手机的COM编号；download 和 list 可同时用于多部手机
  --device PATH        串口设备本身（多部手机时重复此选项）
  --trace FILE         把连接的协议记录写入FILE
  --deadline SECONDS   手机命令超过这个秒数就停止（默认%1）</source>
        <translation>options of the handset commands (before or after the command&apos;s name):
  --port N[,N...]      the handset&apos;s COM number(s); download and list serve several
  --device PATH        the serial device itself (repeat it for several handsets)
  --trace FILE         write the link&apos;s protocol trace into FILE
  --deadline SECONDS   stop a handset command that takes longer (default %1)</translation>
    </message>
    <message>
        <source>手机的限制：
  文件名：最多8个字符，只能用英文字母和数字
  铃声：  转换后每首最多51200字节，文件夹里最多20首
  图片：  转换后每张30748字节，文件夹里最多10张</source>
        <translation>the handset&apos;s limits:
  names:     at most 8 characters, ASCII letters and digits only
  melodies:  at most 51200 bytes each once converted, 20 in the folder
  pictures:  30748 bytes each once converted, 10 in the folder</translation>
    </message>
    <message>
        <source>退出状态：0 完成，1 失败，2 用法或输入有误，3 无法打开端口</source>
        <translation>exit status: 0 done, 1 failed, 2 bad usage or input, 3 the port cannot be opened</translation>
    </message>
    <message>
        <source>用法：zemlo-cli %1 %2</source>
        <translation>usage: zemlo-cli %1 %2</translation>
    </message>
    <message>
        <source>没有“%1”这个命令</source>
        <translation>unknown command &apos;%1&apos;</translation>
    </message>
    <message>
        <source>你是不是想用 %1？</source>
        <translation>did you mean %1?</translation>
    </message>
    <message>
        <source>%1（你是不是想用 %2？）</source>
        <translation>%1 (did you mean %2?)</translation>
    </message>
    <message>
        <source>把MIDI文件转换成手机的铃声文件（手机最多接受51200字节）；--fit 把更长的铃声截到这个限度</source>
        <translation>convert a MIDI file into the handset melody file (the handset takes at most 51200 bytes); --fit cuts a longer melody to that limit</translation>
    </message>
    <message>
        <source>为bmp、gif、jpg、ico、emf或wmf图片写出手机的图片文件；--preview 另写一个PNG，显示手机上的样子。--crop（摆正后图片的像素）或 --zoom 和 --center 选择显示的部分；--dither 分散16位色的误差，使渐变不出现色带；--no-autorotate 不理会照片的方向标记；--verbose 显示转换器自己的输出。手机的图片文件为30748字节</source>
        <translation>write the handset picture file for a bmp, gif, jpg, ico, emf or wmf picture; --preview also writes a PNG of what the handset will show. --crop (pixels of the upright picture) or --zoom and --center choose the part shown; --dither spreads the 16-bit colours&apos; error so gradients do not band; --no-autorotate ignores a photo&apos;s orientation tag; --verbose shows the converter&apos;s own lines. The handset&apos;s picture file is 30748 bytes</translation>
    </message>
    <message>
        <source>转换图片和MIDI文件，并在一次连接中下载到手机（名字默认取文件自己的：最多8个英文字母和数字；--name-from-file 由它取一个手机接受的名字；--name 只给单个文件命名）；图片选项与 convert picture 相同，--fit 截短超出手机限度的铃声；手机上的同名文件只有给了 --replace 或在终端上答应时才被替换；--preview 在手机上逐个预览或试听，--discard 不保存，--dry-run 只连接并说明会发生什么（大小、名字、替换什么、剩余空间），不发送任何数据；--verbose 显示图片转换器的输出；每个文件一行，或用 --json；只有全部文件都到达时退出状态才是0。铃声最多51200字节；一个文件夹最多放10张图片或20首铃声</source>
        <translation>convert pictures and MIDI files and download them to the handset in one connection (a name defaults to the file&apos;s own: at most 8 ASCII letters and digits; --name-from-file makes one the handset takes from it; --name names a single file); the picture options are those of convert picture, --fit cuts a melody over the handset&apos;s limit; a handset file of the same name is replaced only with --replace, or when you say so at a terminal; --preview shows or plays each on the handset, --discard does not keep them, --dry-run connects and says what would happen (size, name, what it replaces, the free space left) but sends nothing, --verbose shows the picture converter&apos;s lines; a line per file, or --json; exit 0 only when every file arrived. A melody takes at most 51200 bytes; a folder holds at most 10 pictures or 20 melodies</translation>
    </message>
    <message>
        <source>重命名手机上的文件（OLD 可带可不带扩展名；NEW 不带）</source>
        <translation>rename a handset file (OLD with or without its extension; NEW without)</translation>
    </message>
    <message>
        <source>删除手机上的文件</source>
        <translation>delete a handset file</translation>
    </message>
    <message>
        <source>格式化手机的媒体存储：所有文件都会丢失，手机会重启</source>
        <translation>format the handset&apos;s media store: every file is lost and the handset restarts</translation>
    </message>
    <message>
        <source>连接手机，显示容量、已用和可用空间，以及两个文件夹里的文件和各自的占用大小</source>
        <translation>connect, show capacity, used and free space and the files of both handset folders with their allocation sizes</translation>
    </message>
    <message>
        <source>播放MIDI文件（或渲染成WAV文件）并显示它的长度</source>
        <translation>play a MIDI file (or render it into a WAV file) and print its length</translation>
    </message>
    <message>
        <source>列出串口设备及其说明和COM编号；--probe 逐个试着握手，说出哪个有应答</source>
        <translation>list the serial devices with their descriptions and COM numbers; --probe tries a handshake on each and says which one answers</translation>
    </message>
    <message>
        <source>请给出要下载的文件</source>
        <translation>expected the files to download</translation>
    </message>
    <message>
        <source>--name 只能给单个文件命名；请改用 --name-from-file</source>
        <translation>--name names a single file; give --name-from-file instead</translation>
    </message>
    <message>
        <source>--name 和 --name-from-file 不能一起用</source>
        <translation>--name and --name-from-file do not go together</translation>
    </message>
    <message>
        <source>图片选项只适用于图片</source>
        <translation>the picture options apply to pictures only</translation>
    </message>
    <message>
        <source>--fit 只适用于铃声</source>
        <translation>--fit applies to melodies only</translation>
    </message>
    <message>
        <source>%1 和 %2 在手机上都会成为 %3；请用 --name-from-file 或重命名其中一个</source>
        <translation>%1 and %2 would both be %3 on the handset; give --name-from-file or rename one</translation>
    </message>
    <message>
        <source>无法从扩展名判断 %1 是图片（bmp gif jpg ico emf wmf）还是铃声（mid midi）；请用 --type 指定</source>
        <translation>cannot tell from its extension whether %1 is a picture (bmp gif jpg ico emf wmf) or a melody (mid midi); give --type</translation>
    </message>
    <message>
        <source>（&quot;%1&quot;；请用 --name 另给一个）</source>
        <translation>(&quot;%1&quot;; give one with --name)</translation>
    </message>
    <message>
        <source>（&quot;%1&quot;；请用 --name-from-file）</source>
        <translation>(&quot;%1&quot;; give --name-from-file)</translation>
    </message>
    <message>
        <source>（%1 &gt; %2字节；--fit 可截短到限度以内）</source>
        <translation>(%1 &gt; %2 bytes; --fit cuts it to fit)</translation>
    </message>
    <message>
        <source>要替换手机上的 %1 吗？</source>
        <translation>replace %1 on the handset?</translation>
    </message>
    <message>
        <source>手机上已有 %1：要替换它请用 --replace，或用 --name 另取一个名字</source>
        <translation>%1 is already on the handset: give --replace to replace it, or another name with --name</translation>
    </message>
    <message>
        <source>第%1个文件（共%2个）：%3</source>
        <translation>file %1 of %2: %3</translation>
    </message>
    <message>
        <source>未发送：%1</source>
        <translation>not sent: %1</translation>
    </message>
    <message>
        <source>未下载</source>
        <translation>not downloaded</translation>
    </message>
    <message>
        <source>已中断</source>
        <translation>interrupted</translation>
    </message>
    <message>
        <source>不会发送：%1</source>
        <translation>would not be sent: %1</translation>
    </message>
    <message>
        <source>会被拒绝：%1</source>
        <translation>would be refused: %1</translation>
    </message>
    <message>
        <source>会发送%1字节（在手机上占%2字节），之后可用%3字节</source>
        <translation>would send %1 bytes (%2 on the handset), %3 bytes free after</translation>
    </message>
    <message>
        <source>会发送%1字节（在手机上占%2字节），会替换%3，之后可用%4字节</source>
        <translation>would send %1 bytes (%2 on the handset), would replace %3, %4 bytes free after</translation>
    </message>
    <message>
        <source>试运行：没有发送任何数据；现在可用%1字节，之后可用%2字节</source>
        <translation>dry run: nothing was sent; %1 bytes free now, %2 after</translation>
    </message>
    <message>
        <source>没有声音设备？可以把铃声渲染成文件：zemlo-cli play %1 --wav OUT.wav</source>
        <translation>no sound device? render the melody into a file instead: zemlo-cli play %1 --wav OUT.wav</translation>
    </message>
    <message>
        <source>ports 不接受参数</source>
        <translation>ports takes no arguments</translation>
    </message>
    <message>
        <source>没有找到串口设备</source>
        <translation>no serial devices found</translation>
    </message>
    <message>
        <source>手机命令使用COM%1（%2）</source>
        <translation>the handset commands use COM%1 (%2)</translation>
    </message>
    <message>
        <source>手机命令使用COM%1（%2），但它不存在：请用 --port 或 --device 选择下面的端口</source>
        <translation>the handset commands use COM%1 (%2), which does not exist: choose a port below with --port or --device</translation>
    </message>
    <message>
        <source>（无COM编号）</source>
        <translation>(no COM number)</translation>
    </message>
    <message>
        <source>（不存在）</source>
        <translation>(missing)</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>description</translation>
    </message>
    <message>
        <source>制造商</source>
        <translation>manufacturer</translation>
    </message>
    <message>
        <source>驱动</source>
        <translation>driver</translation>
    </message>
    <message>
        <source>序列号</source>
        <translation>serial number</translation>
    </message>
    <message>
        <source>延迟计时器</source>
        <translation>latency timer</translation>
    </message>
    <message>
        <source>低延迟模式</source>
        <translation>low-latency mode</translation>
    </message>
    <message>
        <source>已开启</source>
        <translation>on</translation>
    </message>
    <message>
        <source>原已开启</source>
        <translation>already on</translation>
    </message>
    <message>
        <source>被拒绝</source>
        <translation>refused</translation>
    </message>
    <message>
        <source>不支持</source>
        <translation>not supported</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>每次应答最多要等%1 ms；下面这条udev规则在插入时把计时器设为1 ms
    （写进 /etc/udev/rules.d/99-zemlo-latency.rules，再运行 sudo udevadm control --reload，然后重新插入适配器）：</source>
        <translation>every answer waits up to %1 ms; this udev rule sets the timer to 1 ms at plug-in
    (in /etc/udev/rules.d/99-zemlo-latency.rules, then sudo udevadm control --reload and plug the adapter in again):</translation>
    </message>
    <message>
        <source>探测：有手机应答</source>
        <translation>probe: a handset answers</translation>
    </message>
    <message>
        <source>探测：没有应答</source>
        <translation>probe: no answer</translation>
    </message>
    <message>
        <source>探测：无法打开：%1</source>
        <translation>probe: cannot open: %1</translation>
    </message>
    <message>
        <source>没有手机应答：请检查数据线，手机已开机并处于数据模式；模拟器的链接（handsim --link PATH）如果没有列出，请用 --device PATH 指定</source>
        <translation>no handset answered: check the cable, that the handset is on and in its data mode; for an emulator&apos;s link that is not listed (handsim --link PATH) give --device PATH</translation>
    </message>
    <message>
        <source>在 %1 上找到手机：请用 --device %1</source>
        <translation>handset found on %1: use --device %1</translation>
    </message>
    <message>
        <source>在 %1 上找到手机：请用 --device %1 或 --port %2</source>
        <translation>handset found on %1: use --device %1 or --port %2</translation>
    </message>
    <message>
        <source>没有 %1 这个选项</source>
        <translation>unknown option %1</translation>
    </message>
    <message>
        <source>%1 需要一个值</source>
        <translation>%1 needs a value</translation>
    </message>
    <message>
        <source>%1：没有这个文件</source>
        <translation>%1: no such file</translation>
    </message>
    <message>
        <source>%1：不是普通文件</source>
        <translation>%1: not a regular file</translation>
    </message>
    <message>
        <source>--type 只能是 picture 或 melody</source>
        <translation>--type must be picture or melody</translation>
    </message>
    <message>
        <source>请给出一个MIDI文件和一个输出文件</source>
        <translation>expected a MIDI file and an output file</translation>
    </message>
    <message>
        <source>请给出一个输入图片和一个输出文件</source>
        <translation>expected an input picture and an output file</translation>
    </message>
    <message>
        <source>请给出文件夹、原名和新名</source>
        <translation>expected the folder, the old name and the new name</translation>
    </message>
    <message>
        <source>文件夹只能是 pic 或 melody</source>
        <translation>the folder is pic or melody</translation>
    </message>
    <message>
        <source>新名字是空的</source>
        <translation>the new name is empty</translation>
    </message>
    <message>
        <source>请给出文件夹和文件名</source>
        <translation>expected the folder and the file name</translation>
    </message>
    <message>
        <source>%1 不接受文件名</source>
        <translation>%1 takes no file names</translation>
    </message>
    <message>
        <source>请给出一个MIDI文件</source>
        <translation>expected one MIDI file</translation>
    </message>
    <message>
        <source>COM%1 是 %2</source>
        <translation>COM%1 is %2</translation>
    </message>
    <message>
        <source>原因：%1</source>
        <translation>why: %1</translation>
    </message>
    <message>
        <source>解决：%1</source>
        <translation>fix: %1</translation>
    </message>
    <message>
        <source>      %1</source>
        <translation>     %1</translation>
    </message>
    <message>
        <source>没有权限打开 %1：%2 已在 %3 组中，但这次登录早于加入该组</source>
        <translation>permission denied on %1: %2 is in the %3 group, but this login session started before that</translation>
    </message>
    <message>
        <source>注销后重新登录（或用这个组启动一个shell：newgrp %1）</source>
        <translation>log out and log in again (or start a shell with the group: newgrp %1)</translation>
    </message>
    <message>
        <source>%2 已在 %3 组中，但仍没有权限打开 %1</source>
        <translation>permission denied on %1 although %2 is in the %3 group</translation>
    </message>
    <message>
        <source>检查设备的权限：ls -l %1</source>
        <translation>check the device&apos;s mode: ls -l %1</translation>
    </message>
    <message>
        <source>没有权限打开 %1：%2 不在 %3 组中</source>
        <translation>permission denied on %1: %2 is not in the %3 group</translation>
    </message>
    <message>
        <source>然后注销并重新登录，新的组才会生效</source>
        <translation>then log out and log in again so that the new group takes effect</translation>
    </message>
    <message>
        <source>%1 正忙：另一个程序占用着它</source>
        <translation>%1 is busy: another program holds it</translation>
    </message>
    <message>
        <source>%1 正忙：另一个程序占用着它（%2）</source>
        <translation>%1 is busy: another program holds it (%2)</translation>
    </message>
    <message>
        <source>ModemManager 会探测新接入的USB串口设备：用一条udev规则让它不碰这个设备：</source>
        <translation>ModemManager, which probes new USB serial devices: tell it to leave this one alone with a udev rule:</translation>
    </message>
    <message>
        <source>如果是 ModemManager（它会探测新接入的USB串口设备）：用一条udev规则让它不碰这个设备：</source>
        <translation>if it is ModemManager, which probes new USB serial devices: tell it to leave this one alone with a udev rule:</translation>
    </message>
    <message>
        <source>然后拔下数据线再插上</source>
        <translation>then unplug the cable and plug it in again</translation>
    </message>
    <message>
        <source>关闭占用它的程序，然后再试</source>
        <translation>close the program that holds it, then try again</translation>
    </message>
    <message>
        <source>没有这个设备：%1</source>
        <translation>no such device %1</translation>
    </message>
    <message>
        <source>没有找到串口设备：请检查数据线是否插好（zemlo-cli ports 可列出串口设备）</source>
        <translation>no serial device was found: check that the cable is plugged in (zemlo-cli ports lists them)</translation>
    </message>
    <message>
        <source>现有的串口设备：%1</source>
        <translation>serial devices that exist: %1</translation>
    </message>
    <message>
        <source>用 --device PATH 选择一个（zemlo-cli ports --probe 可找出手机）</source>
        <translation>pick one with --device PATH (zemlo-cli ports --probe finds the handset)</translation>
    </message>
    <message>
        <source>%1 是%2，不是串口设备</source>
        <translation>%1 is %2, not a serial device</translation>
    </message>
    <message>
        <source>套接字</source>
        <translation>a socket</translation>
    </message>
    <message>
        <source>命名管道</source>
        <translation>a named pipe</translation>
    </message>
    <message>
        <source>文件夹</source>
        <translation>a folder</translation>
    </message>
    <message>
        <source>普通文件</source>
        <translation>a regular file</translation>
    </message>
    <message>
        <source>块设备</source>
        <translation>a block device</translation>
    </message>
    <message>
        <source>%1 不是串口设备</source>
        <translation>%1 is not a serial device</translation>
    </message>
    <message>
        <source>用 --device 给出手机的串口设备（zemlo-cli ports 可列出串口设备）</source>
        <translation>give the handset&apos;s serial device with --device (zemlo-cli ports lists them)</translation>
    </message>
    <message>
        <source>%1 现在能打开了；刚才可能暂时被占用</source>
        <translation>%1 opens now; it may have been busy for a moment</translation>
    </message>
    <message>
        <source>再试一次</source>
        <translation>try again</translation>
    </message>
    <message>
        <source>无法打开 %1：%2</source>
        <translation>cannot open %1: %2</translation>
    </message>
    <message>
        <source>数据包%1/%2  %3/%4字节</source>
        <translation>packet %1/%2  %3/%4 bytes</translation>
    </message>
    <message>
        <source>还剩%1秒</source>
        <translation>%1 s left</translation>
    </message>
    <message>
        <source>%1：%2字节，合并了%3个音轨</source>
        <translation>%1: %2 bytes, %3 track(s) merged</translation>
    </message>
    <message>
        <source>警告：%1：旋律在第%2字节提前结束（%3）；之前的事件都保留</source>
        <translation>warning: %1: the melody ends early at byte %2 (%3); the events before it are kept</translation>
    </message>
    <message>
        <source>警告：%1：%2个音轨有事件越过了音轨的结尾，音轨在那里结束</source>
        <translation>warning: %1: %2 track(s) had an event running past the track&apos;s end and stop there</translation>
    </message>
    <message>
        <source>长度不是3的速度事件</source>
        <translation>a tempo event whose length is not 3</translation>
    </message>
    <message>
        <source>长度不是0的音轨结束事件</source>
        <translation>an end-of-track event whose length is not 0</translation>
    </message>
    <message>
        <source>MIDI文件里不该有的系统状态字节</source>
        <translation>a system status byte that has no place in a MIDI file</translation>
    </message>
    <message>
        <source>手机</source>
        <translation>handset</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>result</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>time</translation>
    </message>
    <message>
        <source>字节/秒</source>
        <translation>bytes/s</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>ok</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>FAILED</translation>
    </message>
    <message>
        <source>（时间和字节/秒按每台手机的整个命令计算，连接也算在内）</source>
        <translation>(time and bytes/s over each handset&apos;s whole command, connection included)</translation>
    </message>
    <message>
        <source>%2台手机中有%1台失败：%3</source>
        <translation>%1 of %2 handsets failed: %3</translation>
    </message>
    <message>
        <source>正在启动</source>
        <translation>starting</translation>
    </message>
    <message>
        <source>%1 只能给一次</source>
        <translation>%1 given twice</translation>
    </message>
    <message>
        <source>--port 要用1到%1的COM编号</source>
        <translation>--port takes a COM number from 1 to %1</translation>
    </message>
    <message>
        <source>多个端口只能用于 download 和 list</source>
        <translation>several ports are for download and list only</translation>
    </message>
    <message>
        <source>--deadline 要用1到%1的秒数</source>
        <translation>--deadline takes seconds from 1 to %1</translation>
    </message>
    <message>
        <source>--port 和 --device 只能给一个</source>
        <translation>give either --port or --device, not both</translation>
    </message>
    <message>
        <source>手机命令在%1秒内没有结束（--deadline）：已停止</source>
        <translation>the handset command did not end within %1 s (--deadline): stopped</translation>
    </message>
    <message>
        <source>停止的命令仍然没有结束；不断开连接就退出</source>
        <translation>the stopped command still did not end; giving up without a disconnect</translation>
    </message>
    <message>
        <source>无法写入跟踪文件 %1</source>
        <translation>cannot write the trace file %1</translation>
    </message>
    <message>
        <source>无法启动子进程：%1</source>
        <translation>cannot start a worker: %1</translation>
    </message>
    <message>
        <source>被信号%1结束</source>
        <translation>ended by signal %1</translation>
    </message>
    <message>
        <source>找不到本程序，无法启动子进程</source>
        <translation>cannot find this program to start its workers</translation>
    </message>
    <message>
        <source>&quot;%1&quot; 是 Windows 的端口名；在 Linux 上请用 --device %2（或 --port %3，它对应 %2）</source>
        <translation>&quot;%1&quot; is a Windows port name; on Linux use --device %2 (or --port %3, which maps to %2)</translation>
    </message>
    <message>
        <source>&quot;%1&quot;：Linux 的设备名末尾没有&quot;:&quot;；请用 --device %2</source>
        <translation>&quot;%1&quot;: Linux device names have no trailing &quot;:&quot;; use --device %2</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>done</translation>
    </message>
    <message>
        <source>手机的文件名最多8个字符，只能用英文字母和数字</source>
        <translation>a handset file name has at most 8 characters, ASCII letters and digits only</translation>
    </message>
    <message>
        <source>运行 zemlo-cli ports --probe 可查出哪个端口有手机应答</source>
        <translation>run zemlo-cli ports --probe to find the port a handset answers on</translation>
    </message>
    <message>
        <source>确认格式化：重新连接（第%1次，剩%2秒）...</source>
        <translation>Reconnecting to check (try %1, %2 s left)...</translation>
    </message>
    <message>
        <source>确认格式化：读取手机文件...</source>
        <translation>Checking the format: reading the files...</translation>
    </message>
    <message>
        <source>手机没有格式化：文件仍在手机上</source>
        <translation>The handset did not format: its files are still there</translation>
    </message>
    <message>
        <source>格式化命令已发出，但手机没有确认。请重新连接手机，查看文件是否已清除</source>
        <translation>The format command was sent, but the handset did not confirm it. Connect again to see whether its files were erased</translation>
    </message>
    <message>
        <source>你确定要下载这%1个文件到手机的&quot;%2&quot;吗?(若有同名文件则覆盖)</source>
        <translation>Download these %1 files to the handset&apos;s &quot;%2&quot;? (A file of the same name is replaced.)</translation>
    </message>
    <message>
        <source>这%1个文件传送后全部保存、不预览吗?(取消则每个文件传送后逐个询问)</source>
        <translation>Keep all %1 files on the handset after their transfer, without a preview? (Cancel: ask after each file.)</translation>
    </message>
    <message>
        <source>文件%1/%2：%3
%4</source>
        <translation>File %1/%2: %3
%4</translation>
    </message>
    <message>
        <source>&quot;%1&quot;和&quot;%2&quot;在手机上都将是&quot;%3&quot;，请改名其中一个后再下载</source>
        <translation>&quot;%1&quot; and &quot;%2&quot; would both be &quot;%3&quot; on the handset; rename one of them first</translation>
    </message>
    <message>
        <source>文件&quot;%1&quot;的名字中没有手机能用的字母或数字，请改名后再下载</source>
        <translation>Nothing in the name of &quot;%1&quot; is a letter or digit the handset takes; rename the file first</translation>
    </message>
    <message>
        <source>%2个文件中有%1个下载成功：
%3</source>
        <translation>%1 of %2 files were downloaded:
%3</translation>
    </message>
    <message>
        <source>%1 → %2：%3</source>
        <translation>%1 → %2: %3</translation>
    </message>
    <message>
        <source>已取消</source>
        <translation>cancelled</translation>
    </message>
    <message>
        <source>未下载完</source>
        <translation>not finished</translation>
    </message>
</context>
<context>
    <name>OutsideFile</name>
    <message>
        <source>文件路径无效：%1</source>
        <translation>Not a valid file path: %1</translation>
    </message>
    <message>
        <source>文件不存在：%1</source>
        <translation>The file does not exist: %1</translation>
    </message>
    <message>
        <source>不是普通文件：%1</source>
        <translation>Not a regular file: %1</translation>
    </message>
    <message>
        <source>不支持的文件类型（只能打开 bmp、dib、gif、jpg、jpeg、jpe、ico、emf、wmf 图片和 mid、midi、kar 乐曲）：%1</source>
        <translation>Unsupported file type (only bmp, dib, gif, jpg, jpeg, jpe, ico, emf and wmf pictures and mid, midi and kar melodies can be opened): %1</translation>
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
        <source>帮助</source>
        <translation>Help</translation>
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
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>设置(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>格式化(&amp;M)</source>
        <translation>For&amp;mat</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>其他(&amp;O)</source>
        <translation>&amp;Other</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>关于(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>无法在文件夹中找到该文件：%1</source>
        <translation>Cannot find the file in its folder: %1</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>File Not Opened</translation>
    </message>
    <message>
        <source>手机文件夹</source>
        <translation>Handset folders</translation>
    </message>
    <message>
        <source>手机文件</source>
        <translation>Handset files</translation>
    </message>
    <message>
        <source>电脑文件夹</source>
        <translation>PC folders</translation>
    </message>
    <message>
        <source>电脑文件</source>
        <translation>PC files</translation>
    </message>
    <message>
        <source>手机空间</source>
        <translation>Handset space</translation>
    </message>
    <message>
        <source>一起拖入的文件须在同一个文件夹中，且都是图片或都是乐曲</source>
        <translation>Files dropped together must be in one folder, and all pictures or all melodies</translation>
    </message>
</context>
<context>
    <name>zemlo::shell::MelodyPanel</name>
    <message>
        <source>播放时间</source>
        <translation>Play time</translation>
    </message>
    <message>
        <source>播放位置</source>
        <translation>Play position</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>无法读取该MIDI文件。</source>
        <translation>The MIDI file cannot be read.</translation>
    </message>
    <message>
        <source>该文件太大，不是可以播放的MIDI文件。</source>
        <translation>The file is too large to be a MIDI file that can be played.</translation>
    </message>
    <message>
        <source>该文件不是可以播放的MIDI文件。</source>
        <translation>The file is not a MIDI file that can be played.</translation>
    </message>
    <message>
        <source>无法启动音源，不能播放乐曲。</source>
        <translation>The synthesizer cannot be started; the melody cannot be played.</translation>
    </message>
    <message>
        <source>找不到可用的音色库，不能播放乐曲。</source>
        <translation>No usable sound font was found; the melody cannot be played.</translation>
    </message>
    <message>
        <source>无法打开音频输出，不能播放乐曲。</source>
        <translation>No audio output can be opened; the melody cannot be played.</translation>
    </message>
    <message>
        <source>无法写入播放的声音文件。</source>
        <translation>The sound file being played cannot be written.</translation>
    </message>
    <message>
        <source>未知错误</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>系统的说明：%1</source>
        <translation>The system says: %1</translation>
    </message>
    <message>
        <source>播放错误</source>
        <translation>Playback Error</translation>
    </message>
    <message>
        <source>截短以适合手机</source>
        <translation>Cut to fit the handset</translation>
    </message>
    <message>
        <source>旋律转换后超过手机的%1字节上限时，在最后一个放得下的事件处截短</source>
        <translation>When the converted melody exceeds the handset&apos;s %1-byte limit, cut it at the last event that fits</translation>
    </message>
    <message>
        <source>无法转换该MIDI文件</source>
        <translation>This MIDI file cannot be converted</translation>
    </message>
    <message>
        <source>%1 / %2 字节，超出上限</source>
        <translation>%1 / %2 bytes, over the limit</translation>
    </message>
    <message>
        <source>可以选择截短</source>
        <translation>It can be cut to fit</translation>
    </message>
    <message>
        <source>%1 / %2 字节</source>
        <translation>%1 / %2 bytes</translation>
    </message>
    <message>
        <source>已截短：保留%1秒/共%2秒</source>
        <translation>Cut: %1 s kept of %2 s</translation>
    </message>
</context>
<context>
    <name>zemlo::shell::PictureArea</name>
    <message>
        <source>未选择图片</source>
        <translation>No picture</translation>
    </message>
    <message>
        <source>无法读取该图片</source>
        <translation>The picture cannot be read</translation>
    </message>
    <message>
        <source>正在读取图片...</source>
        <translation>Reading the picture...</translation>
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
        <translation>Fit</translation>
    </message>
    <message>
        <source>拉伸</source>
        <translation>Stretch</translation>
    </message>
    <message>
        <source>图片预览</source>
        <translation>Picture preview</translation>
    </message>
    <message>
        <source>填满</source>
        <translation>Cover</translation>
    </message>
    <message>
        <source>填满屏幕，不变形，裁去多出的部分</source>
        <translation>Fill the screen without distortion, cropping what overflows</translation>
    </message>
    <message>
        <source>滚轮或+/-缩放，拖动或方向键移动，0或双击复原</source>
        <translation>Wheel or +/- zooms, drag or arrows move, 0 or double-click resets</translation>
    </message>
    <message>
        <source>色彩抖动</source>
        <translation>Dither</translation>
    </message>
    <message>
        <source>以误差扩散换算成手机的16位色彩，渐变不成色带</source>
        <translation>Reduce to the handset&apos;s 16-bit colours by error diffusion, so gradients do not band</translation>
    </message>
    <message>
        <source>缩放 %1%</source>
        <translation>Zoom %1%</translation>
    </message>
    <message>
        <source>取景 %1,%2,%3,%4（原图像素）</source>
        <translation>Frame %1,%2,%3,%4 (picture pixels)</translation>
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
        <translation>Please wait...</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>进度</source>
        <translation>Progress</translation>
    </message>
</context>
</TS>
