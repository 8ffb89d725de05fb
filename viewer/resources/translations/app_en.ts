<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AppCommandLine</name>
    <message>
        <source>%1: unknown option &apos;%2&apos;</source>
        <translation>%1: unknown option &apos;%2&apos;</translation>
    </message>
    <message>
        <source>%1: give one recording at most, not %2</source>
        <translation>%1: give one recording at most, not %2</translation>
    </message>
    <message>
        <source>Try &apos;%1 --help&apos;.</source>
        <translation>Try &apos;%1 --help&apos;.</translation>
    </message>
    <message>
        <source>%1: --camera needs the serial of a camera</source>
        <translation>%1: --camera needs the serial of a camera</translation>
    </message>
    <message>
        <source>%1: give a recording or a camera, not both</source>
        <translation>%1: give a recording or a camera, not both</translation>
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
        <translation>Usage: %1 [RECORDING.raw | --camera SERIAL]

Plays event camera recordings (RAW files): step through them, pick a range, export it
to an MP4 video or cut it into a new recording. Shows event cameras live.

  RECORDING.raw    a recording to open; it plays at once
  --camera SERIAL  a camera to open; it shows live once it is up (Device &gt; Open
                   Camera lists the cameras attached and their serials)
  -h, --help       show this help and exit
  -v, --version    show the version and exit

Without either the window starts empty: File &gt; Open Recording opens a recording,
Device &gt; Open Camera a camera.
</translation>
    </message>
</context>
<context>
    <name>CameraParameterTexts</name>
    <message>
        <source>Bias Fo</source>
        <translation>Bias Fo</translation>
    </message>
    <message>
        <source>Bias Hpf</source>
        <translation>Bias Hpf</translation>
    </message>
    <message>
        <source>Bias Diff On</source>
        <translation>Bias Diff On</translation>
    </message>
    <message>
        <source>Bias Diff</source>
        <translation>Bias Diff</translation>
    </message>
    <message>
        <source>Bias Diff Off</source>
        <translation>Bias Diff Off</translation>
    </message>
    <message>
        <source>Bias Refr</source>
        <translation>Bias Refr</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>Duty Cycle</source>
        <translation>Duty Cycle</translation>
    </message>
    <message>
        <source>Filter Mode</source>
        <translation>Filter Mode</translation>
    </message>
    <message>
        <source>High Frequency</source>
        <translation>High Frequency</translation>
    </message>
    <message>
        <source>Low Frequency</source>
        <translation>Low Frequency</translation>
    </message>
    <message>
        <source>Start Threshold</source>
        <translation>Start Threshold</translation>
    </message>
    <message>
        <source>Stop Threshold</source>
        <translation>Stop Threshold</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>Threshold</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>Max Event Rate</source>
        <translation>Max Event Rate</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>X Width</source>
        <translation>X Width</translation>
    </message>
    <message>
        <source>Y Height</source>
        <translation>Y Height</translation>
    </message>
    <message>
        <source>Auto Exposure</source>
        <translation>Auto Exposure</translation>
    </message>
    <message>
        <source>Auto Gain</source>
        <translation>Auto Gain</translation>
    </message>
    <message>
        <source>Auto White Balance</source>
        <translation>Auto White Balance</translation>
    </message>
    <message>
        <source>Black Level</source>
        <translation>Black Level</translation>
    </message>
    <message>
        <source>Exposure Time</source>
        <translation>Exposure Time</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>Ip Address</source>
        <translation>IP Address</translation>
    </message>
    <message>
        <source>Subnet Mask</source>
        <translation>Subnet Mask</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>DAC code</source>
        <translation>DAC code</translation>
    </message>
    <message>
        <source>periods</source>
        <translation>periods</translation>
    </message>
    <message>
        <source>px</source>
        <translation>px</translation>
    </message>
    <message>
        <source>us</source>
        <translation>µs</translation>
    </message>
    <message>
        <source>Photoreceptor follower current: low-pass cut-off of the pixel</source>
        <translation>Photoreceptor follower current: low-pass cut-off of the pixel</translation>
    </message>
    <message>
        <source>High-pass filter current: suppresses slow brightness changes</source>
        <translation>High-pass filter current: suppresses slow brightness changes</translation>
    </message>
    <message>
        <source>ON comparator threshold: closer to bias_diff gives more ON events</source>
        <translation>ON comparator threshold: closer to bias_diff gives more ON events</translation>
    </message>
    <message>
        <source>Differencing amplifier reference</source>
        <translation>Differencing amplifier reference</translation>
    </message>
    <message>
        <source>OFF comparator threshold: closer to bias_diff gives more OFF events</source>
        <translation>OFF comparator threshold: closer to bias_diff gives more OFF events</translation>
    </message>
    <message>
        <source>Refractory period current: higher gives a shorter dead time after an event</source>
        <translation>Refractory period current: higher gives a shorter dead time after an event</translation>
    </message>
    <message>
        <source>Report edges on trigger input 0 in the event stream</source>
        <translation>Report edges on trigger input 0 in the event stream</translation>
    </message>
    <message>
        <source>Time base: own clock, own clock driving the sync output, or the sync input&apos;s clock</source>
        <translation>Time base: own clock, own clock driving the sync output, or the sync input&apos;s clock</translation>
    </message>
    <message>
        <source>Share of a flicker period the light is on</source>
        <translation>Share of a flicker period the light is on</translation>
    </message>
    <message>
        <source>Filter flickering light</source>
        <translation>Filter flickering light</translation>
    </message>
    <message>
        <source>Drop the flickering events, or keep only them</source>
        <translation>Drop the flickering events, or keep only them</translation>
    </message>
    <message>
        <source>Highest flicker frequency filtered</source>
        <translation>Highest flicker frequency filtered</translation>
    </message>
    <message>
        <source>Lowest flicker frequency filtered</source>
        <translation>Lowest flicker frequency filtered</translation>
    </message>
    <message>
        <source>Periods seen before a pixel counts as flickering</source>
        <translation>Periods seen before a pixel counts as flickering</translation>
    </message>
    <message>
        <source>Periods missed before a pixel stops flickering</source>
        <translation>Periods missed before a pixel stops flickering</translation>
    </message>
    <message>
        <source>Filter event trails</source>
        <translation>Filter event trails</translation>
    </message>
    <message>
        <source>Time window of the filter</source>
        <translation>Time window of the filter</translation>
    </message>
    <message>
        <source>Filter kind</source>
        <translation>Filter kind</translation>
    </message>
    <message>
        <source>Limit the event rate</source>
        <translation>Limit the event rate</translation>
    </message>
    <message>
        <source>Most events per second let through</source>
        <translation>Most events per second let through</translation>
    </message>
    <message>
        <source>Filter events by a window</source>
        <translation>Filter events by a window</translation>
    </message>
    <message>
        <source>Keep the events inside the window, or outside it</source>
        <translation>Keep the events inside the window, or outside it</translation>
    </message>
    <message>
        <source>Left column of the window</source>
        <translation>Left column of the window</translation>
    </message>
    <message>
        <source>Top row of the window</source>
        <translation>Top row of the window</translation>
    </message>
    <message>
        <source>Width of the window</source>
        <translation>Width of the window</translation>
    </message>
    <message>
        <source>Height of the window</source>
        <translation>Height of the window</translation>
    </message>
    <message>
        <source>Let the sensor choose the exposure time</source>
        <translation>Let the sensor choose the exposure time</translation>
    </message>
    <message>
        <source>Let the sensor choose the gain</source>
        <translation>Let the sensor choose the gain</translation>
    </message>
    <message>
        <source>Let the sensor balance the colours</source>
        <translation>Let the sensor balance the colours</translation>
    </message>
    <message>
        <source>Offset added to every pixel</source>
        <translation>Offset added to every pixel</translation>
    </message>
    <message>
        <source>Exposure time when not automatic</source>
        <translation>Exposure time when not automatic</translation>
    </message>
    <message>
        <source>Analogue gain when not automatic</source>
        <translation>Analogue gain when not automatic</translation>
    </message>
    <message>
        <source>IPv4 address of the camera</source>
        <translation>IPv4 address of the camera</translation>
    </message>
    <message>
        <source>Subnet mask</source>
        <translation>Subnet mask</translation>
    </message>
    <message>
        <source>Default gateway (0.0.0.0 for none)</source>
        <translation>Default gateway (0.0.0.0 for none)</translation>
    </message>
    <message>
        <source>Offset X</source>
        <translation>Offset X</translation>
    </message>
    <message>
        <source>Offset Y</source>
        <translation>Offset Y</translation>
    </message>
</context>
<context>
    <name>CameraToolPanel</name>
    <message>
        <source>Default</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Give the camera the default settings</source>
        <translation>Give the camera the default settings</translation>
    </message>
    <message>
        <source>Show the settings the camera has now</source>
        <translation>Show the settings the camera has now</translation>
    </message>
    <message>
        <source>Give the camera the settings of a configuration file</source>
        <translation>Give the camera the settings of a configuration file</translation>
    </message>
    <message>
        <source>Save the camera&apos;s settings to a configuration file</source>
        <translation>Save the camera&apos;s settings to a configuration file</translation>
    </message>
    <message>
        <source>The camera&apos;s present settings could not be kept aside first.</source>
        <translation>The camera&apos;s present settings could not be kept aside first.</translation>
    </message>
    <message>
        <source>The camera refused some of its values together; it keeps its previous settings.</source>
        <translation>The camera refused some of its values together; it keeps its previous settings.</translation>
    </message>
    <message>
        <source>The camera refused some of its values together, and its previous settings could not all be put back.</source>
        <translation>The camera refused some of its values together, and its previous settings could not all be put back.</translation>
    </message>
    <message>
        <source>Camera parameters loaded successfully.</source>
        <translation>Camera parameters loaded successfully.</translation>
    </message>
    <message>
        <source>Failed to load camera parameters.</source>
        <translation>Failed to load camera parameters.</translation>
    </message>
    <message>
        <source>Camera parameters loaded failed.</source>
        <translation>Camera parameters loaded failed.</translation>
    </message>
    <message>
        <source>Failed to export camera parameters.</source>
        <translation>Failed to export camera parameters.</translation>
    </message>
    <message>
        <source>Camera parameters exported successfully.</source>
        <translation>Camera parameters exported successfully.</translation>
    </message>
    <message>
        <source>Select a JSON file</source>
        <translation>Select a JSON file</translation>
    </message>
    <message>
        <source>Json file (*.json)</source>
        <translation>Json file (*.json)</translation>
    </message>
    <message>
        <source>The camera is not connected.</source>
        <translation>The camera is not connected.</translation>
    </message>
</context>
<context>
    <name>CamerasList</name>
    <message>
        <source>Ethernet %1</source>
        <translation>Ethernet %1</translation>
    </message>
    <message>
        <source>USB</source>
        <translation>USB</translation>
    </message>
    <message>
        <source>Camera List</source>
        <translation>Camera List</translation>
    </message>
    <message>
        <source>Open a camera</source>
        <translation>Open a camera</translation>
    </message>
    <message>
        <source>Search Cameras...</source>
        <translation>Search Cameras...</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>No camera was found. Check that it is plugged in, then open this list again.</source>
        <translation>No camera was found. Check that it is plugged in, then open this list again.</translation>
    </message>
</context>
<context>
    <name>InitDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>Copyright © Tarvo. All rights reserved. Event camera viewer.</source>
        <translation>Copyright © Tarvo. All rights reserved. Event camera viewer.</translation>
    </message>
</context>
<context>
    <name>MainWidget</name>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>File name: </source>
        <translation>File name: </translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>EN/中文</source>
        <translation>EN/中文</translation>
    </message>
    <message>
        <source>About us</source>
        <translation>About us</translation>
    </message>
    <message>
        <source>The language change will take effect after restart.</source>
        <translation>The language change will take effect after restart.</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>Tips</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Restart</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Later</translation>
    </message>
    <message>
        <source>Is it open in the browser?</source>
        <translation>Is it open in the browser?</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>Open Recording</source>
        <translation>Open Recording</translation>
    </message>
    <message>
        <source>Save as...</source>
        <translation>Save as...</translation>
    </message>
    <message>
        <source>Cut Recording</source>
        <translation>Cut Recording</translation>
    </message>
    <message>
        <source>Open Camera</source>
        <translation>Open Camera</translation>
    </message>
    <message>
        <source>Camera Info</source>
        <translation>Camera Info</translation>
    </message>
    <message>
        <source>IP Configuration</source>
        <translation>IP Configuration</translation>
    </message>
    <message>
        <source>General Setting</source>
        <translation>General Setting</translation>
    </message>
    <message>
        <source>Toggle Start/End Point</source>
        <translation>Toggle Start/End Point</translation>
    </message>
    <message>
        <source>Play/Stop</source>
        <translation>Play/Stop</translation>
    </message>
    <message>
        <source>Start/Stop recording</source>
        <translation>Start/Stop recording</translation>
    </message>
    <message>
        <source>Previous frame</source>
        <translation>Previous frame</translation>
    </message>
    <message>
        <source>Next frame</source>
        <translation>Next frame</translation>
    </message>
    <message>
        <source>Reset the playback progress to the beginning</source>
        <translation>Reset the playback progress to the beginning</translation>
    </message>
    <message>
        <source>Select to automatically replay at the end of the playback</source>
        <translation>Select to automatically replay at the end of the playback</translation>
    </message>
    <message>
        <source>Select a raw file</source>
        <translation>Select a raw file</translation>
    </message>
    <message>
        <source>RAW files (*.raw)</source>
        <translation>RAW files (*.raw)</translation>
    </message>
    <message>
        <source>Please open a raw file first.</source>
        <translation>Please open a raw file first.</translation>
    </message>
    <message>
        <source>%1 Mev/s</source>
        <translation>%1 Mev/s</translation>
    </message>
    <message>
        <source>%1 kev/s</source>
        <translation>%1 kev/s</translation>
    </message>
    <message>
        <source>%1 ev/s</source>
        <translation>%1 ev/s</translation>
    </message>
    <message>
        <source>x %1, y %2: %3 ON, %4 OFF</source>
        <translation>x %1, y %2: %3 ON, %4 OFF</translation>
    </message>
    <message>
        <source>%1 × %2 px, %3 long</source>
        <translation>%1 × %2 px, %3 long</translation>
    </message>
    <message>
        <source>%1 events shown</source>
        <translation>%1 events shown</translation>
    </message>
    <message>
        <source>No camera found</source>
        <translation>No camera found</translation>
    </message>
    <message>
        <source>There is no camera with serial %1; the Device menu lists the cameras attached.</source>
        <translation>There is no camera with serial %1; the Device menu lists the cameras attached.</translation>
    </message>
    <message>
        <source>Open camera: </source>
        <translation>Open camera: </translation>
    </message>
    <message>
        <source>failed.</source>
        <translation>failed.</translation>
    </message>
    <message>
        <source>The Duet camera firmware needs to be upgraded!</source>
        <translation>The Duet camera firmware needs to be upgraded!</translation>
    </message>
    <message>
        <source>Please connect camera first.</source>
        <translation>Please connect camera first.</translation>
    </message>
    <message>
        <source>The camera did not start. Please check the camera connection.</source>
        <translation>The camera did not start. Please check the camera connection.</translation>
    </message>
    <message>
        <source>Dropped buffers: %1</source>
        <translation>Dropped buffers: %1</translation>
    </message>
    <message>
        <source>The live view of camera %1 stopped: %2</source>
        <translation>The live view of camera %1 stopped: %2</translation>
    </message>
    <message>
        <source>The recording could not start in %1.</source>
        <translation>The recording could not start in %1.</translation>
    </message>
    <message>
        <source>Save file success!</source>
        <translation>Save file success!</translation>
    </message>
    <message>
        <source>The recording could not be written completely.</source>
        <translation>The recording could not be written completely.</translation>
    </message>
</context>
<context>
    <name>SettingDisplayItem</name>
    <message>
        <source>Accumulation time</source>
        <translation>Accumulation time</translation>
    </message>
    <message>
        <source>Slow Rate</source>
        <translation>Slow Rate</translation>
    </message>
    <message>
        <source>Event time each picture shows: 1us to 1000ms, for example 33.33ms or 500us (a bare number is ms)</source>
        <translation>Event time each picture shows: 1us to 1000ms, for example 33.33ms or 500us (a bare number is ms)</translation>
    </message>
    <message>
        <source>How many times slower than real time a recording plays: 1 is real time, 0.04 to 1000</source>
        <translation>How many times slower than real time a recording plays: 1 is real time, 0.04 to 1000</translation>
    </message>
</context>
<context>
    <name>ShowCameraInfoUI</name>
    <message>
        <source>Camera Info</source>
        <translation>Camera Info</translation>
    </message>
    <message>
        <source>Product: </source>
        <translation>Product: </translation>
    </message>
    <message>
        <source>Manufacturer:</source>
        <translation>Manufacturer:</translation>
    </message>
    <message>
        <source>Serial :</source>
        <translation>Serial :</translation>
    </message>
    <message>
        <source>Firmware version :</source>
        <translation>Firmware version :</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>SidebarApsSettingUI</name>
    <message>
        <source>Open a fusion camera to adjust its frame sensor here.</source>
        <translation>Open a fusion camera to adjust its frame sensor here.</translation>
    </message>
    <message>
        <source>APS Manual Calibration</source>
        <translation>APS Manual Calibration</translation>
    </message>
    <message>
        <source>Set aps offset x.</source>
        <translation>Set aps offset x.</translation>
    </message>
    <message>
        <source>Set aps offset y.</source>
        <translation>Set aps offset y.</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Keep the shift in the camera&apos;s calibration</source>
        <translation>Keep the shift in the camera&apos;s calibration</translation>
    </message>
</context>
<context>
    <name>SidebarCameraSettingUI</name>
    <message>
        <source>Display</source>
        <translation>Display</translation>
    </message>
</context>
<context>
    <name>SidebarDvsSettingUI</name>
    <message>
        <source>Open an event camera to adjust its sensor here.</source>
        <translation>Open an event camera to adjust its sensor here.</translation>
    </message>
    <message>
        <source>The camera settings kept in %1 were not applied.</source>
        <translation>The camera settings kept in %1 were not applied.</translation>
    </message>
</context>
<context>
    <name>ToolSettingBox</name>
    <message>
        <source>Biases</source>
        <translation>Biases</translation>
    </message>
    <message>
        <source>Trigger In</source>
        <translation>Trigger In</translation>
    </message>
    <message>
        <source>Sync</source>
        <translation>Sync</translation>
    </message>
    <message>
        <source>Anti Flicker</source>
        <translation>Anti Flicker</translation>
    </message>
    <message>
        <source>Event Trail Filter</source>
        <translation>Event Trail Filter</translation>
    </message>
    <message>
        <source>Event Rate Control</source>
        <translation>Event Rate Control</translation>
    </message>
    <message>
        <source>ROI</source>
        <translation>ROI</translation>
    </message>
    <message>
        <source>APS</source>
        <translation>APS</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>%1 to %2 %3</source>
        <translation>%1 to %2 %3</translation>
    </message>
    <message>
        <source>The camera did not take %1 = %2.</source>
        <translation>The camera did not take %1 = %2.</translation>
    </message>
</context>
<context>
    <name>VxCameraConfigFile</name>
    <message>
        <source>%1 is not a setting of this camera.</source>
        <translation>%1 is not a setting of this camera.</translation>
    </message>
    <message>
        <source>true or false</source>
        <translation>true or false</translation>
    </message>
    <message>
        <source>%1 is a text setting, which configuration files do not hold.</source>
        <translation>%1 is a text setting, which configuration files do not hold.</translation>
    </message>
    <message>
        <source>%1 cannot be set from a configuration file.</source>
        <translation>%1 cannot be set from a configuration file.</translation>
    </message>
    <message>
        <source>%1 must be %2, not %3.</source>
        <translation>%1 must be %2, not %3.</translation>
    </message>
    <message>
        <source>a whole number from %1 to %2 in steps of %3</source>
        <translation>a whole number from %1 to %2 in steps of %3</translation>
    </message>
    <message>
        <source>a whole number from %1 to %2</source>
        <translation>a whole number from %1 to %2</translation>
    </message>
    <message>
        <source>a number with a decimal point from %1 to %2</source>
        <translation>a number with a decimal point from %1 to %2</translation>
    </message>
    <message>
        <source>one of %1</source>
        <translation>one of %1</translation>
    </message>
    <message>
        <source>%1 is not a file.</source>
        <translation>%1 is not a file.</translation>
    </message>
    <message>
        <source>%1 is too large for a camera configuration.</source>
        <translation>%1 is too large for a camera configuration.</translation>
    </message>
    <message>
        <source>%1 cannot be read.</source>
        <translation>%1 cannot be read.</translation>
    </message>
    <message>
        <source>%1 is not valid JSON (error at byte %2).</source>
        <translation>%1 is not valid JSON (error at byte %2).</translation>
    </message>
    <message>
        <source>%1 does not hold a JSON object.</source>
        <translation>%1 does not hold a JSON object.</translation>
    </message>
    <message>
        <source>%1 is not a JSON object.</source>
        <translation>%1 is not a JSON object.</translation>
    </message>
</context>
<context>
    <name>VxCutRawFile</name>
    <message>
        <source>Cut Recording</source>
        <translation>Cut Recording</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>Cut</translation>
    </message>
</context>
<context>
    <name>VxEthCameraConfigTool</name>
    <message>
        <source>Eth Camera Config</source>
        <translation>Eth Camera Config</translation>
    </message>
    <message>
        <source>Camera List</source>
        <translation>Camera List</translation>
    </message>
    <message>
        <source>Network settings</source>
        <translation>Network settings</translation>
    </message>
    <message>
        <source>Product:</source>
        <translation>Product:</translation>
    </message>
    <message>
        <source>Firmware version:</source>
        <translation>Firmware version:</translation>
    </message>
    <message>
        <source>Manufacturer:</source>
        <translation>Manufacturer:</translation>
    </message>
    <message>
        <source>Serial:</source>
        <translation>Serial:</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP Address:</translation>
    </message>
    <message>
        <source>Subnet Mask:</source>
        <translation>Subnet Mask:</translation>
    </message>
    <message>
        <source>Gateway:</source>
        <translation>Gateway:</translation>
    </message>
    <message>
        <source>No camera was found on the network.</source>
        <translation>No camera was found on the network.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Config</source>
        <translation>Config</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an IPv4 address (four numbers from 0 to 255 with dots between them).</source>
        <translation>&quot;%1&quot; is not an IPv4 address (four numbers from 0 to 255 with dots between them).</translation>
    </message>
    <message>
        <source>%1 is not a subnet mask: it must be a run of ones from the top, such as 255.255.255.0.</source>
        <translation>%1 is not a subnet mask: it must be a run of ones from the top, such as 255.255.255.0.</translation>
    </message>
    <message>
        <source>%1 cannot be a camera&apos;s address.</source>
        <translation>%1 cannot be a camera&apos;s address.</translation>
    </message>
    <message>
        <source>%1 is the broadcast address of its subnet, not a camera&apos;s address.</source>
        <translation>%1 is the broadcast address of its subnet, not a camera&apos;s address.</translation>
    </message>
    <message>
        <source>%1 is the address of the subnet itself, not a camera&apos;s address.</source>
        <translation>%1 is the address of the subnet itself, not a camera&apos;s address.</translation>
    </message>
    <message>
        <source>The gateway %1 must be another host of the camera&apos;s subnet.</source>
        <translation>The gateway %1 must be another host of the camera&apos;s subnet.</translation>
    </message>
    <message>
        <source>Please select a camera first.</source>
        <translation>Please select a camera first.</translation>
    </message>
    <message>
        <source>Configuration failed: %1</source>
        <translation>Configuration failed: %1</translation>
    </message>
    <message>
        <source>Configuration failed!</source>
        <translation>Configuration failed!</translation>
    </message>
    <message>
        <source>Configuration successful!</source>
        <translation>Configuration successful!</translation>
    </message>
</context>
<context>
    <name>VxEventProcessor</name>
    <message>
        <source>Export video success!</source>
        <translation>Export video success!</translation>
    </message>
    <message>
        <source>Export raw file success!</source>
        <translation>Export raw file success!</translation>
    </message>
    <message>
        <source>Playback stopped: %1</source>
        <translation>Playback stopped: %1</translation>
    </message>
    <message>
        <source>Playback stopped.</source>
        <translation>Playback stopped.</translation>
    </message>
    <message>
        <source>Export video failed.</source>
        <translation>Export video failed.</translation>
    </message>
    <message>
        <source>Export video failed: %1</source>
        <translation>Export video failed: %1</translation>
    </message>
    <message>
        <source>Export raw file failed.</source>
        <translation>Export raw file failed.</translation>
    </message>
    <message>
        <source>Export raw file failed: %1</source>
        <translation>Export raw file failed: %1</translation>
    </message>
    <message>
        <source>Could not open %1: it is not a RAW recording.</source>
        <translation>Could not open %1: it is not a RAW recording.</translation>
    </message>
    <message>
        <source>Could not open %1: there is no such file.</source>
        <translation>Could not open %1: there is no such file.</translation>
    </message>
    <message>
        <source>Could not open the recording.</source>
        <translation>Could not open the recording.</translation>
    </message>
    <message>
        <source>Could not open the recording: %1</source>
        <translation>Could not open the recording: %1</translation>
    </message>
</context>
<context>
    <name>VxExportVideoUI</name>
    <message>
        <source>Export a video</source>
        <translation>Export a video</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Start Time</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>End Time</translation>
    </message>
    <message>
        <source>Save File Path</source>
        <translation>Save File Path</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>File Name</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Export</translation>
    </message>
</context>
<context>
    <name>VxFilePathReminderForm</name>
    <message>
        <source>Open Dir</source>
        <translation>Open Dir</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>Success</translation>
    </message>
    <message>
        <source>No file manager could open %1.</source>
        <translation>No file manager could open %1.</translation>
    </message>
</context>
<context>
    <name>VxFileRecorder</name>
    <message>
        <source>Currently being recorded.</source>
        <translation>Currently being recorded.</translation>
    </message>
    <message>
        <source>Recording file ... </source>
        <translation>Recording file ... </translation>
    </message>
    <message>
        <source>Recording end</source>
        <translation>Recording end</translation>
    </message>
    <message>
        <source>Save file success!</source>
        <translation>Save file success!</translation>
    </message>
    <message>
        <source>Recording failed.</source>
        <translation>Recording failed.</translation>
    </message>
    <message>
        <source>Recording failed: %1</source>
        <translation>Recording failed: %1</translation>
    </message>
</context>
<context>
    <name>VxFolderCheck</name>
    <message>
        <source>Choose the folder to save in.</source>
        <translation>Choose the folder to save in.</translation>
    </message>
    <message>
        <source>The folder %1 does not exist.</source>
        <translation>The folder %1 does not exist.</translation>
    </message>
    <message>
        <source>The folder %1 is read-only.</source>
        <translation>The folder %1 is read-only.</translation>
    </message>
    <message>
        <source>Select Directory</source>
        <translation>Select Directory</translation>
    </message>
</context>
<context>
    <name>VxFusionCameraDataProcessor</name>
    <message>
        <source>Manual calibration parameters were written successfully!</source>
        <translation>Manual calibration parameters were written successfully!</translation>
    </message>
    <message>
        <source>Manual calibration parameters were written failed!</source>
        <translation>Manual calibration parameters were written failed!</translation>
    </message>
    <message>
        <source>The calibration %1 could not be read; the calibration in force stays.</source>
        <translation>The calibration %1 could not be read; the calibration in force stays.</translation>
    </message>
    <message>
        <source>its video cannot be read.</source>
        <translation>its video cannot be read.</translation>
    </message>
    <message>
        <source>its video holds no frame.</source>
        <translation>its video holds no frame.</translation>
    </message>
    <message>
        <source>its events cannot be read.</source>
        <translation>its events cannot be read.</translation>
    </message>
    <message>
        <source>Could not open the fusion recording: %1</source>
        <translation>Could not open the fusion recording: %1</translation>
    </message>
    <message>
        <source>Playback stopped: %1</source>
        <translation>Playback stopped: %1</translation>
    </message>
    <message>
        <source>the video has no frame to start again from.</source>
        <translation>the video has no frame to start again from.</translation>
    </message>
</context>
<context>
    <name>VxGeneralSetting</name>
    <message>
        <source>VxGerenalSetting</source>
        <translation>VxGerenalSetting</translation>
    </message>
    <message>
        <source>General Settings</source>
        <translation>General Settings</translation>
    </message>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Style</source>
        <translation>Style</translation>
    </message>
    <message>
        <source>Tab 1</source>
        <translation>Tab 1</translation>
    </message>
    <message>
        <source>Trigger In File Save Settings</source>
        <translation>Trigger In File Save Settings</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>Trigger Edge</source>
        <translation>Trigger Edge</translation>
    </message>
    <message>
        <source>Before Trigger In Save Time (sec):</source>
        <translation>Before Trigger In Save Time (sec):</translation>
    </message>
    <message>
        <source>After Trigger In Save Time (sec):</source>
        <translation>After Trigger In Save Time (sec):</translation>
    </message>
    <message>
        <source>File Settings</source>
        <translation>File Settings</translation>
    </message>
    <message>
        <source>Default Out Raw File Path</source>
        <translation>Default Out Raw File Path</translation>
    </message>
    <message>
        <source>Default Video File Path</source>
        <translation>Default Video File Path</translation>
    </message>
    <message>
        <source>Tab 2</source>
        <translation>Tab 2</translation>
    </message>
    <message>
        <source>Theme</source>
        <translation>Theme</translation>
    </message>
    <message>
        <source>Events Color</source>
        <translation>Events Color</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Rising Edge</source>
        <translation>Rising Edge</translation>
    </message>
    <message>
        <source>Falling Edge</source>
        <translation>Falling Edge</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>Gray</translation>
    </message>
    <message>
        <source>Dark</source>
        <translation>Dark</translation>
    </message>
    <message>
        <source>RedBlue</source>
        <translation>RedBlue</translation>
    </message>
    <message>
        <source>RedGreen</source>
        <translation>RedGreen</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>Light</translation>
    </message>
    <message>
        <source>One second more</source>
        <translation>One second more</translation>
    </message>
    <message>
        <source>One second less</source>
        <translation>One second less</translation>
    </message>
    <message>
        <source>Default Out Raw File Path: %1</source>
        <translation>Default Out Raw File Path: %1</translation>
    </message>
    <message>
        <source>Default Video File Path: %1</source>
        <translation>Default Video File Path: %1</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>VxLiveCamera</name>
    <message>
        <source>Camera connection lost.</source>
        <translation>Camera connection lost.</translation>
    </message>
    <message>
        <source> Bandwidth: </source>
        <translation> Bandwidth: </translation>
    </message>
    <message>
        <source> Events: </source>
        <translation> Events: </translation>
    </message>
</context>
<context>
    <name>VxRangeFileDialog</name>
    <message>
        <source>Start Time</source>
        <translation>Start Time</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>End Time</translation>
    </message>
    <message>
        <source>µs</source>
        <translation>µs</translation>
    </message>
    <message>
        <source>Save File Path</source>
        <translation>Save File Path</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>File Name</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>0.1 s later</source>
        <translation>0.1 s later</translation>
    </message>
    <message>
        <source>0.1 s earlier</source>
        <translation>0.1 s earlier</translation>
    </message>
    <message>
        <source>The start time must be a whole number of microseconds.</source>
        <translation>The start time must be a whole number of microseconds.</translation>
    </message>
    <message>
        <source>The end time must be a whole number of microseconds.</source>
        <translation>The end time must be a whole number of microseconds.</translation>
    </message>
    <message>
        <source>The range is empty: the start time equals the end time.</source>
        <translation>The range is empty: the start time equals the end time.</translation>
    </message>
    <message>
        <source>The start time lies after the end time.</source>
        <translation>The start time lies after the end time.</translation>
    </message>
    <message>
        <source>The range must lie within the recording, from %1 to %2 µs.</source>
        <translation>The range must lie within the recording, from %1 to %2 µs.</translation>
    </message>
    <message>
        <source>Enter a file name (without a folder).</source>
        <translation>Enter a file name (without a folder).</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>VxWorker</name>
    <message>
        <source>An unexpected error ended the work.</source>
        <translation>An unexpected error ended the work.</translation>
    </message>
</context>
</TS>
