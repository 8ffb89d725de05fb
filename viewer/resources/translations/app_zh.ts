<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AppCommandLine</name>
    <message>
        <source>%1: unknown option &apos;%2&apos;</source>
        <translation>%1：未知选项 &apos;%2&apos;</translation>
    </message>
    <message>
        <source>%1: give one recording at most, not %2</source>
        <translation>%1：最多只能指定一个录制文件，而不是 %2 个</translation>
    </message>
    <message>
        <source>Try &apos;%1 --help&apos;.</source>
        <translation>请尝试 &apos;%1 --help&apos;。</translation>
    </message>
    <message>
        <source>%1: --camera needs the serial of a camera</source>
        <translation>%1：--camera 需要相机的序列号</translation>
    </message>
    <message>
        <source>%1: give a recording or a camera, not both</source>
        <translation>%1：请给出录制文件或相机，不能同时给出两者</translation>
    </message>
    <message>
        <source>Usage: %1 [RECORDING.raw | --camera SERIAL]

Plays event camera recordings (RAW files): step through them, pick a range, export it
to an MP4 video or cut it into a new recording. Shows event cameras live.

  RECORDING.raw    a recording to open; it plays at once
  --camera SERIAL  a camera to open; it shows live once it is up (Device &gt; Open
                   Camera lists the cameras attached and their serials)
  -h, --help       show this help and exit
  -v, --version    show the version and exit

Without either the window starts empty: File &gt; Open Recording opens a recording,
Device &gt; Open Camera a camera.
</source>
        <translation>用法：%1 [RECORDING.raw | --camera SERIAL]

播放事件相机录制文件（RAW 文件）：逐帧查看、选择区间、将区间导出为 MP4 视频
或剪切为新的录制文件。实时显示事件相机。

  RECORDING.raw    要打开的录制文件；打开后立即播放
  --camera SERIAL  要打开的相机；启动后立即实时显示（设备 &gt; 打开相机
                   列出已连接的相机及其序列号）
  -h, --help       显示此帮助并退出
  -v, --version    显示版本并退出

两者都未给出时窗口为空：文件 &gt; 打开录制文件 打开录制文件，
设备 &gt; 打开相机 打开相机。
</translation>
    </message>
</context>
<context>
    <name>CameraParameterTexts</name>
    <message>
        <source>Bias Fo</source>
        <translation>跟随器偏置 fo</translation>
    </message>
    <message>
        <source>Bias Hpf</source>
        <translation>高通滤波偏置 hpf</translation>
    </message>
    <message>
        <source>Bias Diff On</source>
        <translation>ON 阈值偏置 diff_on</translation>
    </message>
    <message>
        <source>Bias Diff</source>
        <translation>差分参考偏置 diff</translation>
    </message>
    <message>
        <source>Bias Diff Off</source>
        <translation>OFF 阈值偏置 diff_off</translation>
    </message>
    <message>
        <source>Bias Refr</source>
        <translation>不应期偏置 refr</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>启用</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>模式</translation>
    </message>
    <message>
        <source>Duty Cycle</source>
        <translation>占空比</translation>
    </message>
    <message>
        <source>Filter Mode</source>
        <translation>滤波模式</translation>
    </message>
    <message>
        <source>High Frequency</source>
        <translation>最高频率</translation>
    </message>
    <message>
        <source>Low Frequency</source>
        <translation>最低频率</translation>
    </message>
    <message>
        <source>Start Threshold</source>
        <translation>起始阈值</translation>
    </message>
    <message>
        <source>Stop Threshold</source>
        <translation>停止阈值</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>阈值</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>类型</translation>
    </message>
    <message>
        <source>Max Event Rate</source>
        <translation>最大事件率</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X 坐标</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y 坐标</translation>
    </message>
    <message>
        <source>X Width</source>
        <translation>宽度</translation>
    </message>
    <message>
        <source>Y Height</source>
        <translation>高度</translation>
    </message>
    <message>
        <source>Auto Exposure</source>
        <translation>自动曝光</translation>
    </message>
    <message>
        <source>Auto Gain</source>
        <translation>自动增益</translation>
    </message>
    <message>
        <source>Auto White Balance</source>
        <translation>自动白平衡</translation>
    </message>
    <message>
        <source>Black Level</source>
        <translation>黑电平</translation>
    </message>
    <message>
        <source>Exposure Time</source>
        <translation>曝光时间</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>增益</translation>
    </message>
    <message>
        <source>Ip Address</source>
        <translation>IP 地址</translation>
    </message>
    <message>
        <source>Subnet Mask</source>
        <translation>子网掩码</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>网关</translation>
    </message>
    <message>
        <source>DAC code</source>
        <translation>DAC 码值</translation>
    </message>
    <message>
        <source>periods</source>
        <translation>个周期</translation>
    </message>
    <message>
        <source>px</source>
        <translation>像素</translation>
    </message>
    <message>
        <source>us</source>
        <translation>微秒</translation>
    </message>
    <message>
        <source>Photoreceptor follower current: low-pass cut-off of the pixel</source>
        <translation>光感受器跟随器电流：像素的低通截止</translation>
    </message>
    <message>
        <source>High-pass filter current: suppresses slow brightness changes</source>
        <translation>高通滤波电流：抑制缓慢的亮度变化</translation>
    </message>
    <message>
        <source>ON comparator threshold: closer to bias_diff gives more ON events</source>
        <translation>ON 比较器阈值：越接近 bias_diff，ON 事件越多</translation>
    </message>
    <message>
        <source>Differencing amplifier reference</source>
        <translation>差分放大器参考</translation>
    </message>
    <message>
        <source>OFF comparator threshold: closer to bias_diff gives more OFF events</source>
        <translation>OFF 比较器阈值：越接近 bias_diff，OFF 事件越多</translation>
    </message>
    <message>
        <source>Refractory period current: higher gives a shorter dead time after an event</source>
        <translation>不应期电流：越高，事件后的死区时间越短</translation>
    </message>
    <message>
        <source>Report edges on trigger input 0 in the event stream</source>
        <translation>在事件流中报告触发输入 0 的边沿</translation>
    </message>
    <message>
        <source>Time base: own clock, own clock driving the sync output, or the sync input&apos;s clock</source>
        <translation>时间基准：自身时钟、驱动同步输出的自身时钟，或同步输入的时钟</translation>
    </message>
    <message>
        <source>Share of a flicker period the light is on</source>
        <translation>闪烁周期中光源点亮的比例</translation>
    </message>
    <message>
        <source>Filter flickering light</source>
        <translation>滤除闪烁光</translation>
    </message>
    <message>
        <source>Drop the flickering events, or keep only them</source>
        <translation>丢弃闪烁事件，或只保留闪烁事件</translation>
    </message>
    <message>
        <source>Highest flicker frequency filtered</source>
        <translation>滤除的最高闪烁频率</translation>
    </message>
    <message>
        <source>Lowest flicker frequency filtered</source>
        <translation>滤除的最低闪烁频率</translation>
    </message>
    <message>
        <source>Periods seen before a pixel counts as flickering</source>
        <translation>像素被判定为闪烁前需观察到的周期数</translation>
    </message>
    <message>
        <source>Periods missed before a pixel stops flickering</source>
        <translation>像素被判定为停止闪烁前缺失的周期数</translation>
    </message>
    <message>
        <source>Filter event trails</source>
        <translation>滤除事件拖尾</translation>
    </message>
    <message>
        <source>Time window of the filter</source>
        <translation>滤波器的时间窗口</translation>
    </message>
    <message>
        <source>Filter kind</source>
        <translation>滤波器类型</translation>
    </message>
    <message>
        <source>Limit the event rate</source>
        <translation>限制事件率</translation>
    </message>
    <message>
        <source>Most events per second let through</source>
        <translation>每秒最多放行的事件数</translation>
    </message>
    <message>
        <source>Filter events by a window</source>
        <translation>按窗口过滤事件</translation>
    </message>
    <message>
        <source>Keep the events inside the window, or outside it</source>
        <translation>保留窗口内的事件，或窗口外的事件</translation>
    </message>
    <message>
        <source>Left column of the window</source>
        <translation>窗口左侧列</translation>
    </message>
    <message>
        <source>Top row of the window</source>
        <translation>窗口顶部行</translation>
    </message>
    <message>
        <source>Width of the window</source>
        <translation>窗口宽度</translation>
    </message>
    <message>
        <source>Height of the window</source>
        <translation>窗口高度</translation>
    </message>
    <message>
        <source>Let the sensor choose the exposure time</source>
        <translation>由传感器自动选择曝光时间</translation>
    </message>
    <message>
        <source>Let the sensor choose the gain</source>
        <translation>由传感器自动选择增益</translation>
    </message>
    <message>
        <source>Let the sensor balance the colours</source>
        <translation>由传感器自动平衡颜色</translation>
    </message>
    <message>
        <source>Offset added to every pixel</source>
        <translation>加到每个像素上的偏移</translation>
    </message>
    <message>
        <source>Exposure time when not automatic</source>
        <translation>非自动时的曝光时间</translation>
    </message>
    <message>
        <source>Analogue gain when not automatic</source>
        <translation>非自动时的模拟增益</translation>
    </message>
    <message>
        <source>IPv4 address of the camera</source>
        <translation>相机的 IPv4 地址</translation>
    </message>
    <message>
        <source>Subnet mask</source>
        <translation>子网掩码</translation>
    </message>
    <message>
        <source>Default gateway (0.0.0.0 for none)</source>
        <translation>默认网关（0.0.0.0 表示无）</translation>
    </message>
    <message>
        <source>Offset X</source>
        <translation>X 偏移</translation>
    </message>
    <message>
        <source>Offset Y</source>
        <translation>Y 偏移</translation>
    </message>
</context>
<context>
    <name>CameraToolPanel</name>
    <message>
        <source>Default</source>
        <translation>默认</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>加载</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>Give the camera the default settings</source>
        <translation>为相机恢复默认设置</translation>
    </message>
    <message>
        <source>Show the settings the camera has now</source>
        <translation>显示相机当前的设置</translation>
    </message>
    <message>
        <source>Give the camera the settings of a configuration file</source>
        <translation>将配置文件中的设置应用到相机</translation>
    </message>
    <message>
        <source>Save the camera&apos;s settings to a configuration file</source>
        <translation>将相机的设置保存到配置文件</translation>
    </message>
    <message>
        <source>The camera&apos;s present settings could not be kept aside first.</source>
        <translation>无法先保存相机当前的设置。</translation>
    </message>
    <message>
        <source>The camera refused some of its values together; it keeps its previous settings.</source>
        <translation>相机拒绝了其中几个相互关联的值，已保留原来的设置。</translation>
    </message>
    <message>
        <source>The camera refused some of its values together, and its previous settings could not all be put back.</source>
        <translation>相机拒绝了其中几个相互关联的值，且未能完全恢复原来的设置。</translation>
    </message>
    <message>
        <source>Camera parameters loaded successfully.</source>
        <translation>相机参数加载成功。</translation>
    </message>
    <message>
        <source>Failed to load camera parameters.</source>
        <translation>相机参数加载失败。</translation>
    </message>
    <message>
        <source>Camera parameters loaded failed.</source>
        <translation>相机参数加载失败。</translation>
    </message>
    <message>
        <source>Failed to export camera parameters.</source>
        <translation>相机参数导出失败。</translation>
    </message>
    <message>
        <source>Camera parameters exported successfully.</source>
        <translation>相机参数导出成功。</translation>
    </message>
    <message>
        <source>Select a JSON file</source>
        <translation>选择 JSON 文件</translation>
    </message>
    <message>
        <source>Json file (*.json)</source>
        <translation>JSON 文件 (*.json)</translation>
    </message>
    <message>
        <source>The camera is not connected.</source>
        <translation>相机未连接。</translation>
    </message>
</context>
<context>
    <name>CamerasList</name>
    <message>
        <source>Ethernet %1</source>
        <translation>以太网 %1</translation>
    </message>
    <message>
        <source>USB</source>
        <translation>USB 接口</translation>
    </message>
    <message>
        <source>Camera List</source>
        <translation>相机列表</translation>
    </message>
    <message>
        <source>Open a camera</source>
        <translation>打开相机</translation>
    </message>
    <message>
        <source>Search Cameras...</source>
        <translation>搜索相机...</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>No camera was found. Check that it is plugged in, then open this list again.</source>
        <translation>未找到相机。请检查相机是否已连接，然后重新打开此列表。</translation>
    </message>
</context>
<context>
    <name>InitDialog</name>
    <message>
        <source>Dialog</source>
        <translation>对话框</translation>
    </message>
    <message>
        <source>Copyright © Tarvo. All rights reserved. Event camera viewer.</source>
        <translation>版权所有 © Tarvo。保留所有权利。事件相机查看器。</translation>
    </message>
</context>
<context>
    <name>MainWidget</name>
    <message>
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>帮助</translation>
    </message>
    <message>
        <source>File name: </source>
        <translation>文件名：</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>EN/中文</source>
        <translation>EN/中文</translation>
    </message>
    <message>
        <source>About us</source>
        <translation>关于我们</translation>
    </message>
    <message>
        <source>The language change will take effect after restart.</source>
        <translation>语言切换将在重启后生效。</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>重启</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>稍后</translation>
    </message>
    <message>
        <source>Is it open in the browser?</source>
        <translation>是否在浏览器中打开？</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>设备</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>工具</translation>
    </message>
    <message>
        <source>Open Recording</source>
        <translation>打开录制文件</translation>
    </message>
    <message>
        <source>Save as...</source>
        <translation>另存为...</translation>
    </message>
    <message>
        <source>Cut Recording</source>
        <translation>裁剪录制文件</translation>
    </message>
    <message>
        <source>Open Camera</source>
        <translation>打开相机</translation>
    </message>
    <message>
        <source>Camera Info</source>
        <translation>相机信息</translation>
    </message>
    <message>
        <source>IP Configuration</source>
        <translation>IP 配置</translation>
    </message>
    <message>
        <source>General Setting</source>
        <translation>通用设置</translation>
    </message>
    <message>
        <source>Toggle Start/End Point</source>
        <translation>切换起止点</translation>
    </message>
    <message>
        <source>Play/Stop</source>
        <translation>播放/停止</translation>
    </message>
    <message>
        <source>Start/Stop recording</source>
        <translation>开始/停止录制</translation>
    </message>
    <message>
        <source>Previous frame</source>
        <translation>上一帧</translation>
    </message>
    <message>
        <source>Next frame</source>
        <translation>下一帧</translation>
    </message>
    <message>
        <source>Reset the playback progress to the beginning</source>
        <translation>将播放进度重置到开头</translation>
    </message>
    <message>
        <source>Select to automatically replay at the end of the playback</source>
        <translation>选中后播放结束时自动重新播放</translation>
    </message>
    <message>
        <source>Select a raw file</source>
        <translation>选择 RAW 文件</translation>
    </message>
    <message>
        <source>RAW files (*.raw)</source>
        <translation>RAW 文件 (*.raw)</translation>
    </message>
    <message>
        <source>Please open a raw file first.</source>
        <translation>请先打开 RAW 文件。</translation>
    </message>
    <message>
        <source>%1 Mev/s</source>
        <translation>%1 百万事件/秒</translation>
    </message>
    <message>
        <source>%1 kev/s</source>
        <translation>%1 千事件/秒</translation>
    </message>
    <message>
        <source>%1 ev/s</source>
        <translation>%1 事件/秒</translation>
    </message>
    <message>
        <source>x %1, y %2: %3 ON, %4 OFF</source>
        <translation>x %1，y %2：%3 个正事件，%4 个负事件</translation>
    </message>
    <message>
        <source>%1 × %2 px, %3 long</source>
        <translation>%1 × %2 像素，时长 %3</translation>
    </message>
    <message>
        <source>%1 events shown</source>
        <translation>显示 %1 个事件</translation>
    </message>
    <message>
        <source>No camera found</source>
        <translation>未找到相机</translation>
    </message>
    <message>
        <source>There is no camera with serial %1; the Device menu lists the cameras attached.</source>
        <translation>没有序列号为 %1 的相机；设备菜单列出了已连接的相机。</translation>
    </message>
    <message>
        <source>Open camera: </source>
        <translation>打开相机：</translation>
    </message>
    <message>
        <source>failed.</source>
        <translation>失败。</translation>
    </message>
    <message>
        <source>The Duet camera firmware needs to be upgraded!</source>
        <translation>Duet 相机固件需要升级！</translation>
    </message>
    <message>
        <source>Please connect camera first.</source>
        <translation>请先连接相机。</translation>
    </message>
    <message>
        <source>The camera did not start. Please check the camera connection.</source>
        <translation>相机未能启动，请检查相机连接。</translation>
    </message>
    <message>
        <source>Dropped buffers: %1</source>
        <translation>丢弃的缓冲区：%1</translation>
    </message>
    <message>
        <source>The live view of camera %1 stopped: %2</source>
        <translation>相机 %1 的实时画面已停止：%2</translation>
    </message>
    <message>
        <source>The recording could not start in %1.</source>
        <translation>无法在 %1 中开始录制。</translation>
    </message>
    <message>
        <source>Save file success!</source>
        <translation>文件保存成功！</translation>
    </message>
    <message>
        <source>The recording could not be written completely.</source>
        <translation>录制文件未能完整写入。</translation>
    </message>
</context>
<context>
    <name>SettingDisplayItem</name>
    <message>
        <source>Accumulation time</source>
        <translation>累积时间</translation>
    </message>
    <message>
        <source>Slow Rate</source>
        <translation>慢放倍率</translation>
    </message>
    <message>
        <source>Event time each picture shows: 1us to 1000ms, for example 33.33ms or 500us (a bare number is ms)</source>
        <translation>每幅画面显示的事件时间：1us 到 1000ms，例如 33.33ms 或 500us（只写数字时单位为 ms）</translation>
    </message>
    <message>
        <source>How many times slower than real time a recording plays: 1 is real time, 0.04 to 1000</source>
        <translation>录制文件比实际时间慢放的倍数：1 为实时，范围 0.04 到 1000</translation>
    </message>
</context>
<context>
    <name>ShowCameraInfoUI</name>
    <message>
        <source>Camera Info</source>
        <translation>相机信息</translation>
    </message>
    <message>
        <source>Product: </source>
        <translation>产品：</translation>
    </message>
    <message>
        <source>Manufacturer:</source>
        <translation>制造商：</translation>
    </message>
    <message>
        <source>Serial :</source>
        <translation>序列号：</translation>
    </message>
    <message>
        <source>Firmware version :</source>
        <translation>固件版本：</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>SidebarApsSettingUI</name>
    <message>
        <source>Open a fusion camera to adjust its frame sensor here.</source>
        <translation>打开融合相机后，可在此调整其帧传感器。</translation>
    </message>
    <message>
        <source>APS Manual Calibration</source>
        <translation>APS 手动标定</translation>
    </message>
    <message>
        <source>Set aps offset x.</source>
        <translation>设置 APS 在 x 方向的偏移。</translation>
    </message>
    <message>
        <source>Set aps offset y.</source>
        <translation>设置 APS 在 y 方向的偏移。</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>应用</translation>
    </message>
    <message>
        <source>Keep the shift in the camera&apos;s calibration</source>
        <translation>将偏移写入相机的标定</translation>
    </message>
</context>
<context>
    <name>SidebarCameraSettingUI</name>
    <message>
        <source>Display</source>
        <translation>显示</translation>
    </message>
</context>
<context>
    <name>SidebarDvsSettingUI</name>
    <message>
        <source>Open an event camera to adjust its sensor here.</source>
        <translation>打开事件相机后，可在此调整其传感器。</translation>
    </message>
    <message>
        <source>The camera settings kept in %1 were not applied.</source>
        <translation>未应用保存在 %1 中的相机设置。</translation>
    </message>
</context>
<context>
    <name>ToolSettingBox</name>
    <message>
        <source>Biases</source>
        <translation>偏置</translation>
    </message>
    <message>
        <source>Trigger In</source>
        <translation>触发输入</translation>
    </message>
    <message>
        <source>Sync</source>
        <translation>同步</translation>
    </message>
    <message>
        <source>Anti Flicker</source>
        <translation>抗闪烁</translation>
    </message>
    <message>
        <source>Event Trail Filter</source>
        <translation>事件拖尾滤波</translation>
    </message>
    <message>
        <source>Event Rate Control</source>
        <translation>事件率控制</translation>
    </message>
    <message>
        <source>ROI</source>
        <translation>感兴趣区域 (ROI)</translation>
    </message>
    <message>
        <source>APS</source>
        <translation>帧传感器 (APS)</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>网络</translation>
    </message>
    <message>
        <source>%1 to %2 %3</source>
        <translation>范围：%1 至 %2 %3</translation>
    </message>
    <message>
        <source>The camera did not take %1 = %2.</source>
        <translation>相机未接受 %1 = %2。</translation>
    </message>
</context>
<context>
    <name>VxCameraConfigFile</name>
    <message>
        <source>%1 is not a setting of this camera.</source>
        <translation>%1 不是此相机的设置项。</translation>
    </message>
    <message>
        <source>true or false</source>
        <translation>true 或 false（布尔值）</translation>
    </message>
    <message>
        <source>%1 is a text setting, which configuration files do not hold.</source>
        <translation>%1 是文本设置项，配置文件中不保存此类设置。</translation>
    </message>
    <message>
        <source>%1 cannot be set from a configuration file.</source>
        <translation>%1 无法通过配置文件设置。</translation>
    </message>
    <message>
        <source>%1 must be %2, not %3.</source>
        <translation>%1 必须是 %2，而不是 %3。</translation>
    </message>
    <message>
        <source>a whole number from %1 to %2 in steps of %3</source>
        <translation>%1 到 %2 之间、步长为 %3 的整数</translation>
    </message>
    <message>
        <source>a whole number from %1 to %2</source>
        <translation>%1 到 %2 之间的整数</translation>
    </message>
    <message>
        <source>a number with a decimal point from %1 to %2</source>
        <translation>%1 到 %2 之间带小数点的数</translation>
    </message>
    <message>
        <source>one of %1</source>
        <translation>以下之一：%1</translation>
    </message>
    <message>
        <source>%1 is not a file.</source>
        <translation>%1 不是文件。</translation>
    </message>
    <message>
        <source>%1 is too large for a camera configuration.</source>
        <translation>%1 过大，不是相机配置文件。</translation>
    </message>
    <message>
        <source>%1 cannot be read.</source>
        <translation>无法读取 %1。</translation>
    </message>
    <message>
        <source>%1 is not valid JSON (error at byte %2).</source>
        <translation>%1 不是有效的 JSON（第 %2 字节处出错）。</translation>
    </message>
    <message>
        <source>%1 does not hold a JSON object.</source>
        <translation>%1 的内容不是 JSON 对象。</translation>
    </message>
    <message>
        <source>%1 is not a JSON object.</source>
        <translation>%1 不是 JSON 对象。</translation>
    </message>
</context>
<context>
    <name>VxCutRawFile</name>
    <message>
        <source>Cut Recording</source>
        <translation>裁剪录制文件</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>裁剪</translation>
    </message>
</context>
<context>
    <name>VxEthCameraConfigTool</name>
    <message>
        <source>Eth Camera Config</source>
        <translation>网口相机配置</translation>
    </message>
    <message>
        <source>Camera List</source>
        <translation>相机列表</translation>
    </message>
    <message>
        <source>Network settings</source>
        <translation>网络设置</translation>
    </message>
    <message>
        <source>Product:</source>
        <translation>产品：</translation>
    </message>
    <message>
        <source>Firmware version:</source>
        <translation>固件版本：</translation>
    </message>
    <message>
        <source>Manufacturer:</source>
        <translation>制造商：</translation>
    </message>
    <message>
        <source>Serial:</source>
        <translation>序列号：</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP 地址：</translation>
    </message>
    <message>
        <source>Subnet Mask:</source>
        <translation>子网掩码：</translation>
    </message>
    <message>
        <source>Gateway:</source>
        <translation>网关：</translation>
    </message>
    <message>
        <source>No camera was found on the network.</source>
        <translation>网络上未找到相机。</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Config</source>
        <translation>配置</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an IPv4 address (four numbers from 0 to 255 with dots between them).</source>
        <translation>“%1”不是 IPv4 地址（应为四个 0 到 255 之间的数字，以点分隔）。</translation>
    </message>
    <message>
        <source>%1 is not a subnet mask: it must be a run of ones from the top, such as 255.255.255.0.</source>
        <translation>%1 不是子网掩码：高位必须是连续的 1，例如 255.255.255.0。</translation>
    </message>
    <message>
        <source>%1 cannot be a camera&apos;s address.</source>
        <translation>%1 不能作为相机地址。</translation>
    </message>
    <message>
        <source>%1 is the broadcast address of its subnet, not a camera&apos;s address.</source>
        <translation>%1 是其子网的广播地址，不能作为相机地址。</translation>
    </message>
    <message>
        <source>%1 is the address of the subnet itself, not a camera&apos;s address.</source>
        <translation>%1 是子网本身的地址，不能作为相机地址。</translation>
    </message>
    <message>
        <source>The gateway %1 must be another host of the camera&apos;s subnet.</source>
        <translation>网关 %1 必须是相机所在子网中的另一台主机。</translation>
    </message>
    <message>
        <source>Please select a camera first.</source>
        <translation>请先选择相机。</translation>
    </message>
    <message>
        <source>Configuration failed: %1</source>
        <translation>配置失败：%1</translation>
    </message>
    <message>
        <source>Configuration failed!</source>
        <translation>配置失败！</translation>
    </message>
    <message>
        <source>Configuration successful!</source>
        <translation>配置成功！</translation>
    </message>
</context>
<context>
    <name>VxEventProcessor</name>
    <message>
        <source>Export video success!</source>
        <translation>导出视频成功！</translation>
    </message>
    <message>
        <source>Export raw file success!</source>
        <translation>导出 RAW 文件成功！</translation>
    </message>
    <message>
        <source>Playback stopped: %1</source>
        <translation>播放已停止：%1</translation>
    </message>
    <message>
        <source>Playback stopped.</source>
        <translation>播放已停止。</translation>
    </message>
    <message>
        <source>Export video failed.</source>
        <translation>导出视频失败。</translation>
    </message>
    <message>
        <source>Export video failed: %1</source>
        <translation>导出视频失败：%1</translation>
    </message>
    <message>
        <source>Export raw file failed.</source>
        <translation>导出 RAW 文件失败。</translation>
    </message>
    <message>
        <source>Export raw file failed: %1</source>
        <translation>导出 RAW 文件失败：%1</translation>
    </message>
    <message>
        <source>Could not open %1: it is not a RAW recording.</source>
        <translation>无法打开 %1：它不是 RAW 录制文件。</translation>
    </message>
    <message>
        <source>Could not open %1: there is no such file.</source>
        <translation>无法打开 %1：文件不存在。</translation>
    </message>
    <message>
        <source>Could not open the recording.</source>
        <translation>无法打开录制文件。</translation>
    </message>
    <message>
        <source>Could not open the recording: %1</source>
        <translation>无法打开录制文件：%1</translation>
    </message>
</context>
<context>
    <name>VxExportVideoUI</name>
    <message>
        <source>Export a video</source>
        <translation>导出视频</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>开始时间</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>结束时间</translation>
    </message>
    <message>
        <source>Save File Path</source>
        <translation>保存路径</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>文件名</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>导出</translation>
    </message>
</context>
<context>
    <name>VxFilePathReminderForm</name>
    <message>
        <source>Open Dir</source>
        <translation>打开目录</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>No file manager could open %1.</source>
        <translation>没有文件管理器能打开 %1。</translation>
    </message>
</context>
<context>
    <name>VxFileRecorder</name>
    <message>
        <source>Currently being recorded.</source>
        <translation>正在录制中。</translation>
    </message>
    <message>
        <source>Recording file ... </source>
        <translation>正在录制文件…… </translation>
    </message>
    <message>
        <source>Recording end</source>
        <translation>录制结束</translation>
    </message>
    <message>
        <source>Save file success!</source>
        <translation>文件保存成功！</translation>
    </message>
    <message>
        <source>Recording failed.</source>
        <translation>录制失败。</translation>
    </message>
    <message>
        <source>Recording failed: %1</source>
        <translation>录制失败：%1</translation>
    </message>
</context>
<context>
    <name>VxFolderCheck</name>
    <message>
        <source>Choose the folder to save in.</source>
        <translation>请选择保存的文件夹。</translation>
    </message>
    <message>
        <source>The folder %1 does not exist.</source>
        <translation>文件夹 %1 不存在。</translation>
    </message>
    <message>
        <source>The folder %1 is read-only.</source>
        <translation>文件夹 %1 是只读的。</translation>
    </message>
    <message>
        <source>Select Directory</source>
        <translation>选择目录</translation>
    </message>
</context>
<context>
    <name>VxFusionCameraDataProcessor</name>
    <message>
        <source>Manual calibration parameters were written successfully!</source>
        <translation>手动标定参数写入成功！</translation>
    </message>
    <message>
        <source>Manual calibration parameters were written failed!</source>
        <translation>手动标定参数写入失败！</translation>
    </message>
    <message>
        <source>The calibration %1 could not be read; the calibration in force stays.</source>
        <translation>无法读取标定文件 %1，继续使用当前标定。</translation>
    </message>
    <message>
        <source>its video cannot be read.</source>
        <translation>无法读取其视频。</translation>
    </message>
    <message>
        <source>its video holds no frame.</source>
        <translation>其视频中没有帧。</translation>
    </message>
    <message>
        <source>its events cannot be read.</source>
        <translation>无法读取其事件。</translation>
    </message>
    <message>
        <source>Could not open the fusion recording: %1</source>
        <translation>无法打开融合录制：%1</translation>
    </message>
    <message>
        <source>Playback stopped: %1</source>
        <translation>播放已停止：%1</translation>
    </message>
    <message>
        <source>the video has no frame to start again from.</source>
        <translation>视频中没有可重新开始的帧。</translation>
    </message>
</context>
<context>
    <name>VxGeneralSetting</name>
    <message>
        <source>VxGerenalSetting</source>
        <translation>通用设置</translation>
    </message>
    <message>
        <source>General Settings</source>
        <translation>通用设置</translation>
    </message>
    <message>
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>Style</source>
        <translation>样式</translation>
    </message>
    <message>
        <source>Tab 1</source>
        <translation>页 1</translation>
    </message>
    <message>
        <source>Trigger In File Save Settings</source>
        <translation>触发输入文件保存设置</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>启用</translation>
    </message>
    <message>
        <source>Trigger Edge</source>
        <translation>触发边沿</translation>
    </message>
    <message>
        <source>Before Trigger In Save Time (sec):</source>
        <translation>触发前保存时间（秒）：</translation>
    </message>
    <message>
        <source>After Trigger In Save Time (sec):</source>
        <translation>触发后保存时间（秒）：</translation>
    </message>
    <message>
        <source>File Settings</source>
        <translation>文件设置</translation>
    </message>
    <message>
        <source>Default Out Raw File Path</source>
        <translation>默认 RAW 文件输出路径</translation>
    </message>
    <message>
        <source>Default Video File Path</source>
        <translation>默认视频文件路径</translation>
    </message>
    <message>
        <source>Tab 2</source>
        <translation>页 2</translation>
    </message>
    <message>
        <source>Theme</source>
        <translation>主题</translation>
    </message>
    <message>
        <source>Events Color</source>
        <translation>事件颜色</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Rising Edge</source>
        <translation>上升沿</translation>
    </message>
    <message>
        <source>Falling Edge</source>
        <translation>下降沿</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>灰色</translation>
    </message>
    <message>
        <source>Dark</source>
        <translation>深色</translation>
    </message>
    <message>
        <source>RedBlue</source>
        <translation>红蓝</translation>
    </message>
    <message>
        <source>RedGreen</source>
        <translation>红绿</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>浅色</translation>
    </message>
    <message>
        <source>One second more</source>
        <translation>增加一秒</translation>
    </message>
    <message>
        <source>One second less</source>
        <translation>减少一秒</translation>
    </message>
    <message>
        <source>Default Out Raw File Path: %1</source>
        <translation>默认 RAW 文件输出路径：%1</translation>
    </message>
    <message>
        <source>Default Video File Path: %1</source>
        <translation>默认视频文件路径：%1</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>VxLiveCamera</name>
    <message>
        <source>Camera connection lost.</source>
        <translation>相机连接已断开。</translation>
    </message>
    <message>
        <source> Bandwidth: </source>
        <translation> 带宽：</translation>
    </message>
    <message>
        <source> Events: </source>
        <translation> 事件：</translation>
    </message>
</context>
<context>
    <name>VxRangeFileDialog</name>
    <message>
        <source>Start Time</source>
        <translation>开始时间</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>结束时间</translation>
    </message>
    <message>
        <source>µs</source>
        <translation>微秒</translation>
    </message>
    <message>
        <source>Save File Path</source>
        <translation>保存路径</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>文件名</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>0.1 s later</source>
        <translation>推后 0.1 秒</translation>
    </message>
    <message>
        <source>0.1 s earlier</source>
        <translation>提前 0.1 秒</translation>
    </message>
    <message>
        <source>The start time must be a whole number of microseconds.</source>
        <translation>开始时间必须是以微秒为单位的整数。</translation>
    </message>
    <message>
        <source>The end time must be a whole number of microseconds.</source>
        <translation>结束时间必须是以微秒为单位的整数。</translation>
    </message>
    <message>
        <source>The range is empty: the start time equals the end time.</source>
        <translation>范围为空：开始时间等于结束时间。</translation>
    </message>
    <message>
        <source>The start time lies after the end time.</source>
        <translation>开始时间晚于结束时间。</translation>
    </message>
    <message>
        <source>The range must lie within the recording, from %1 to %2 µs.</source>
        <translation>范围必须在录制文件之内，即 %1 到 %2 微秒。</translation>
    </message>
    <message>
        <source>Enter a file name (without a folder).</source>
        <translation>请输入文件名（不含文件夹）。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>VxWorker</name>
    <message>
        <source>An unexpected error ended the work.</source>
        <translation>意外错误中止了操作。</translation>
    </message>
</context>
</TS>
