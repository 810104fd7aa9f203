<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AddBarcode</name>
    <message>
        <source>Notice</source>
        <translation>注意</translation>
    </message>
    <message>
        <source>Notice:Please enter a 16-character barcode!</source>
        <translation>注意：请输入 16 位条码！</translation>
    </message>
    <message>
        <source>Barcode：</source>
        <translation>条码：</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>The Barcode is empty!</source>
        <translation>条码为空！</translation>
    </message>
    <message>
        <source>The Barcode must not contain line breaks or other control characters!</source>
        <translation>条码不能包含换行符或其他控制字符！</translation>
    </message>
    <message>
        <source>The Barcode length does not meet requirement!</source>
        <translation>条码长度不符合要求！</translation>
    </message>
</context>
<context>
    <name>BMSMainWin</name>
    <message>
        <source>Korvello - V2.8.4</source>
        <translation>Korvello - V2.8.4</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>端口：</translation>
    </message>
    <message>
        <source>BaudRate:</source>
        <translation>波特率：</translation>
    </message>
    <message>
        <source>DataBits:</source>
        <translation>数据位：</translation>
    </message>
    <message>
        <source>StopBits:</source>
        <translation>停止位：</translation>
    </message>
    <message>
        <source>ParityBit:</source>
        <translation>校验位：</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>Logout</source>
        <translation>退出登录</translation>
    </message>
    <message>
        <source>ReceiveMess</source>
        <translation>接收信息</translation>
    </message>
    <message>
        <source>Mess</source>
        <translation>发送信息</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>发送</translation>
    </message>
    <message>
        <source>info</source>
        <translation>info</translation>
    </message>
    <message>
        <source>pwr</source>
        <translation>pwr</translation>
    </message>
    <message>
        <source>bat</source>
        <translation>bat</translation>
    </message>
    <message>
        <source>config default</source>
        <translation>config default</translation>
    </message>
    <message>
        <source>stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Battery:</source>
        <translation>电池包：</translation>
    </message>
    <message>
        <source>Alarm &amp; Protection</source>
        <translation>告警与保护</translation>
    </message>
    <message>
        <source>Event num:</source>
        <translation>事件数：</translation>
    </message>
    <message>
        <source>Battery</source>
        <translation>电池包</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>2</source>
        <translation>2</translation>
    </message>
    <message>
        <source>3</source>
        <translation>3</translation>
    </message>
    <message>
        <source>4</source>
        <translation>4</translation>
    </message>
    <message>
        <source>5</source>
        <translation>5</translation>
    </message>
    <message>
        <source>6</source>
        <translation>6</translation>
    </message>
    <message>
        <source>7</source>
        <translation>7</translation>
    </message>
    <message>
        <source>8</source>
        <translation>8</translation>
    </message>
    <message>
        <source>9</source>
        <translation>9</translation>
    </message>
    <message>
        <source>10</source>
        <translation>10</translation>
    </message>
    <message>
        <source>11</source>
        <translation>11</translation>
    </message>
    <message>
        <source>12</source>
        <translation>12</translation>
    </message>
    <message>
        <source>13</source>
        <translation>13</translation>
    </message>
    <message>
        <source>14</source>
        <translation>14</translation>
    </message>
    <message>
        <source>15</source>
        <translation>15</translation>
    </message>
    <message>
        <source>16</source>
        <translation>16</translation>
    </message>
    <message>
        <source>alarm&amp;protcet item</source>
        <translation>告警/保护项目</translation>
    </message>
    <message>
        <source>cell</source>
        <translation>单体</translation>
    </message>
    <message>
        <source>power</source>
        <translation>整包</translation>
    </message>
    <message>
        <source>unit</source>
        <translation>单位</translation>
    </message>
    <message>
        <source>Item</source>
        <translation>序号</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>日期</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>Volt</source>
        <translation>电压</translation>
    </message>
    <message>
        <source>Current</source>
        <translation>电流</translation>
    </message>
    <message>
        <source>Temp</source>
        <translation>温度</translation>
    </message>
    <message>
        <source>Tlow</source>
        <translation>最低温度</translation>
    </message>
    <message>
        <source>Thight</source>
        <translation>最高温度</translation>
    </message>
    <message>
        <source>Vlowest</source>
        <translation>最低电压</translation>
    </message>
    <message>
        <source>Vhight</source>
        <translation>最高电压</translation>
    </message>
    <message>
        <source>Base.St</source>
        <translation>基本状态</translation>
    </message>
    <message>
        <source>Volt.St</source>
        <translation>电压状态</translation>
    </message>
    <message>
        <source>Curr.St</source>
        <translation>电流状态</translation>
    </message>
    <message>
        <source>Temp.St</source>
        <translation>温度状态</translation>
    </message>
    <message>
        <source>Per%</source>
        <translation>电量%</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>事件</translation>
    </message>
    <message>
        <source>Transmit progress:</source>
        <translation>传输进度：</translation>
    </message>
    <message>
        <source>System Time:</source>
        <translation>系统时间：</translation>
    </message>
    <message>
        <source>Command State:</source>
        <translation>命令状态：</translation>
    </message>
    <message>
        <source>&amp;Login cmd</source>
        <translation>进入命令行(&amp;L)</translation>
    </message>
    <message>
        <source>Enter the console</source>
        <translation>进入 BMS 控制台命令模式</translation>
    </message>
    <message>
        <source>&amp;Logout cmd</source>
        <translation>退出命令行(&amp;O)</translation>
    </message>
    <message>
        <source>Exit the console</source>
        <translation>退出 BMS 控制台命令模式</translation>
    </message>
    <message>
        <source>&amp;Simulated BMS</source>
        <translation>模拟 BMS(&amp;S)</translation>
    </message>
    <message>
        <source>Start or stop a simulated battery system on a new serial port</source>
        <translation>在一个新串口上启动或停止模拟电池系统</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>工具(&amp;T)</translation>
    </message>
    <message>
        <source>System Time: </source>
        <translation>系统时间：</translation>
    </message>
    <message>
        <source>Korvello</source>
        <translation>Korvello</translation>
    </message>
    <message>
        <source>Do you wish to quit Korvello?</source>
        <translation>确定要退出 Korvello 吗？</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>The simulated BMS could not be started.</source>
        <translation>模拟 BMS 无法启动。</translation>
    </message>
    <message>
        <source>Added barcode fail!</source>
        <translation>条码写入失败！</translation>
    </message>
    <message>
        <source>Added barcode successfully!</source>
        <translation>条码写入成功！</translation>
    </message>
    <message>
        <source>Notice</source>
        <translation>注意</translation>
    </message>
    <message>
        <source>The serial port not open, Please Login!</source>
        <translation>串口未打开，请先登录！</translation>
    </message>
    <message>
        <source>Command State: completed successfully</source>
        <translation>命令状态：执行成功</translation>
    </message>
    <message>
        <source>Command State: Unknown command</source>
        <translation>命令状态：未知命令</translation>
    </message>
    <message>
        <source>Command State: fail to excute</source>
        <translation>命令状态：执行失败</translation>
    </message>
    <message>
        <source>start</source>
        <translation>开始</translation>
    </message>
    <message>
        <source>warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The operation is too frequent!
Please try again later!</source>
        <translation>操作过于频繁！
请稍后再试！</translation>
    </message>
    <message>
        <source>Entry Console</source>
        <translation>进入控制台</translation>
    </message>
    <message>
        <source>Please enter the console password:</source>
        <translation>请输入控制台密码：</translation>
    </message>
    <message>
        <source>Wrong password! Please check password！</source>
        <translation>密码错误！请检查密码！</translation>
    </message>
    <message>
        <source>The serial port not open, Please open!</source>
        <translation>串口未打开，请先打开串口！</translation>
    </message>
    <message>
        <source>1.5</source>
        <translation>1.5</translation>
    </message>
    <message>
        <source>None</source>
        <translation>无校验</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>奇校验</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>偶校验</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>空格校验</translation>
    </message>
    <message>
        <source>Mark</source>
        <translation>标记校验</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>The serial port diconnect! Please check!</source>
        <translation>串口连接已断开！请检查！</translation>
    </message>
    <message>
        <source>The serial port is occupied or does not exist</source>
        <translation>串口被占用或不存在</translation>
    </message>
    <message>
        <source>The Mos open success!</source>
        <translation>MOS 开启成功！</translation>
    </message>
    <message>
        <source>The Mos open fail!</source>
        <translation>MOS 开启失败！</translation>
    </message>
    <message>
        <source>The Mos close success!</source>
        <translation>MOS 关闭成功！</translation>
    </message>
    <message>
        <source>The Mos close fail!</source>
        <translation>MOS 关闭失败！</translation>
    </message>
    <message>
        <source>The self-test finish!</source>
        <translation>自检完成！</translation>
    </message>
    <message>
        <source>The self-test fail!</source>
        <translation>自检失败！</translation>
    </message>
    <message>
        <source>The self-test gave no result within %1 seconds! Commands are sent again.</source>
        <translation>自检在 %1 秒内没有结果！已恢复发送命令。</translation>
    </message>
    <message>
        <source>The self-test was interrupted; its result is unknown.</source>
        <translation>自检被中断，结果未知。</translation>
    </message>
    <message>
        <source>Record to CSV…</source>
        <translation>记录到 CSV…</translation>
    </message>
    <message>
        <source>Append every value the overview polls to a CSV file</source>
        <translation>把总览页轮询到的每个数值追加写入 CSV 文件</translation>
    </message>
    <message>
        <source>Recording to %1: %2 rows</source>
        <translation>正在记录到 %1：%2 行</translation>
    </message>
    <message>
        <source>, paused</source>
        <translation>，已暂停</translation>
    </message>
    <message>
        <source>Each polling cycle of the overview page adds its rows; the recording pauses while another page is shown or no port is open.</source>
        <translation>总览页每完成一轮轮询就追加一批数据行；切换到其他页面或串口未打开时记录暂停。</translation>
    </message>
    <message>
        <source>Record to CSV</source>
        <translation>记录到 CSV</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <source>Cannot record to %1:
%2</source>
        <translation>无法记录到 %1：
%2</translation>
    </message>
    <message>
        <source>Recording stopped, %1 cannot be written:
%2</source>
        <translation>记录已停止，无法写入 %1：
%2</translation>
    </message>
    <message>
        <source>Event</source>
        <translation>事件</translation>
    </message>
    <message>
        <source>continue</source>
        <translation>继续</translation>
    </message>
    <message>
        <source>reflash</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>The initial configuration is successful!</source>
        <translation>已恢复出厂配置！</translation>
    </message>
    <message>
        <source>choose a file</source>
        <translation>选择文件</translation>
    </message>
    <message>
        <source>(*.txt);;All Files(*.*)</source>
        <translation>文本文件 (*.txt);;所有文件 (*.*)</translation>
    </message>
    <message>
        <source>mask</source>
        <translation>屏蔽字</translation>
    </message>
    <message>
        <source>The event is empty!</source>
        <translation>没有事件记录！</translation>
    </message>
    <message>
        <source>Event num: </source>
        <translation>事件数：</translation>
    </message>
    <message>
        <source>Can&apos;t click &quot;Event&quot;, Please click &quot;continue&quot; or click &quot;reflash&quot; or wait!</source>
        <translation>现在不能点“事件”，请点“继续”或“刷新”，或稍候！</translation>
    </message>
    <message>
        <source>Can&apos;t continue, Please click &quot;Event&quot;!</source>
        <translation>无法继续，请先点“事件”！</translation>
    </message>
    <message>
        <source>The event Command completed successfully!</source>
        <translation>事件列表读取完成！</translation>
    </message>
    <message>
        <source>The event Command fail to excute!Please click &quot;Event&quot;!</source>
        <translation>事件命令执行失败！请点“事件”重试！</translation>
    </message>
    <message>
        <source>The Unknown Command!Please click &quot;Event&quot;!</source>
        <translation>未知命令！请点“事件”重试！</translation>
    </message>
    <message>
        <source>The event list was not read to the end.</source>
        <translation>事件列表没有读取完。</translation>
    </message>
    <message>
        <source>Time(min)</source>
        <translation>时间(分钟)</translation>
    </message>
    <message>
        <source>SOC</source>
        <translation>SOC</translation>
    </message>
    <message>
        <source>SOC(%)</source>
        <translation>SOC(%)</translation>
    </message>
    <message>
        <source>Volt of battery</source>
        <translation>电池包电压</translation>
    </message>
    <message>
        <source>Volt(V)</source>
        <translation>电压(V)</translation>
    </message>
    <message>
        <source>Current of battery</source>
        <translation>电池包电流</translation>
    </message>
    <message>
        <source>Current(A)</source>
        <translation>电流(A)</translation>
    </message>
    <message>
        <source>Temperature of battery</source>
        <translation>电池包温度</translation>
    </message>
    <message>
        <source>Temp(℃)</source>
        <translation>温度(°C)</translation>
    </message>
    <message>
        <source>Please click &quot;RTData ON&quot; first!</source>
        <translation>请先点击“开始采集”！</translation>
    </message>
    <message>
        <source>RTdata on succcess!</source>
        <translation>实时数据已开启！</translation>
    </message>
    <message>
        <source>RTdata off fail! please click again!</source>
        <translation>实时数据关闭失败！请再点一次！</translation>
    </message>
    <message>
        <source>RTdata off succcess!</source>
        <translation>实时数据已关闭！</translation>
    </message>
    <message>
        <source>Can&apos;t download, Please click &quot;RTData OFF&quot;!</source>
        <translation>无法导出，请先点击“停止采集”！</translation>
    </message>
    <message>
        <source>Can&apos;t clean all, Please click &quot;RTData OFF&quot;!</source>
        <translation>无法清空，请先点击“停止采集”！</translation>
    </message>
    <message>
        <source>The real-time recording was stopped.</source>
        <translation>实时数据记录已停止。</translation>
    </message>
    <message>
        <source>Time: %1min
SOC: %2%</source>
        <translation>时间：%1 分钟
SOC：%2%</translation>
    </message>
    <message>
        <source>Time: %1min
Volt: %2V</source>
        <translation>时间：%1 分钟
电压：%2 V</translation>
    </message>
    <message>
        <source>Time: %1min
Curr: %2A</source>
        <translation>时间：%1 分钟
电流：%2 A</translation>
    </message>
    <message>
        <source>Time: %1min
Temp: %2℃</source>
        <translation>时间：%1 分钟
温度：%2 ℃</translation>
    </message>
    <message>
        <source>Upgrading!Please wait!</source>
        <translation>正在升级！请稍候！</translation>
    </message>
    <message>
        <source>Can&apos;t update! &quot;Present Num&quot; Unknown.</source>
        <translation>无法升级！“在线包数”未知。</translation>
    </message>
    <message>
        <source>Can&apos;t update boot! &quot;Present Num&quot; Unknown.</source>
        <translation>无法升级 Boot！“在线包数”未知。</translation>
    </message>
    <message>
        <source>open File</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <source>Did not select file!</source>
        <translation>没有选择文件！</translation>
    </message>
    <message>
        <source>Open file error!</source>
        <translation>打开文件出错！</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The bin file transfer failed: the receiver refused the same block %1 times!</source>
        <translation>固件传输失败：接收方连续 %1 次拒收同一数据块！</translation>
    </message>
    <message>
        <source>The bin file transfer is cancelled by receiver!</source>
        <translation>固件传输被接收方取消！</translation>
    </message>
    <message>
        <source>Please wait for the host to upgrade !</source>
        <translation>请等待主机升级完成！</translation>
    </message>
    <message>
        <source>Please wait for the battery to upgrade !</source>
        <translation>请等待电池包升级完成！</translation>
    </message>
    <message>
        <source>The bin file %1 could not be read: %2

The transfer is cancelled!</source>
        <translation>无法读取固件文件 %1：%2

传输已取消！</translation>
    </message>
    <message>
        <source>Start transmission timeout!</source>
        <translation>启动传输超时！</translation>
    </message>
    <message>
        <source>TimeOut during transmission!</source>
        <translation>传输过程中超时！</translation>
    </message>
    <message>
        <source>Battery update error! Please check battery or wake battery！</source>
        <translation>电池包升级出错！请检查电池包或唤醒电池包！</translation>
    </message>
    <message>
        <source>The HUB updata successful!</source>
        <translation>HUB 升级成功！</translation>
    </message>
    <message>
        <source>Host upgraded successfully!Please check the slave after %1 minutes!</source>
        <translation>主机升级成功！请在 %1 分钟后检查从机！</translation>
    </message>
    <message>
        <source>The battery updata successful!</source>
        <translation>电池包升级成功！</translation>
    </message>
    <message>
        <source>Version invalid!

Please check firmware!</source>
        <translation>版本无效！

请检查固件！</translation>
    </message>
    <message>
        <source>Version without head!

Please check firmware!</source>
        <translation>固件缺少文件头！

请检查固件！</translation>
    </message>
    <message>
        <source>The firmware update was interrupted. The battery may be left without working firmware!</source>
        <translation>固件升级被中断，电池包可能已没有可用的固件！</translation>
    </message>
    <message>
        <source>A firmware update is running. If you quit now, the battery may be left without working firmware!
Do you wish to quit Korvello?</source>
        <translation>正在进行固件升级。现在退出，电池包可能会没有可用的固件！
确定要退出 Korvello 吗？</translation>
    </message>
</context>
<context>
    <name>BatteryGroup</name>
    <message>
        <source>Form</source>
        <translation>窗口</translation>
    </message>
    <message>
        <source>State:</source>
        <translation>状态：</translation>
    </message>
    <message>
        <source>Total Voltage:</source>
        <translation>总电压：</translation>
    </message>
    <message>
        <source>Present Num:</source>
        <translation>在线包数：</translation>
    </message>
    <message>
        <source>Total Current:</source>
        <translation>总电流：</translation>
    </message>
    <message>
        <source>CMOS State </source>
        <translation>充电MOS </translation>
    </message>
    <message>
        <source>Total SOC:</source>
        <translation>总SOC：</translation>
    </message>
    <message>
        <source>DMOS State </source>
        <translation>放电MOS </translation>
    </message>
    <message>
        <source>Total SOH:</source>
        <translation>总SOH：</translation>
    </message>
    <message>
        <source>Bat 1</source>
        <translation>1号包</translation>
    </message>
    <message>
        <source>Bat 2</source>
        <translation>2号包</translation>
    </message>
    <message>
        <source>Bat 3</source>
        <translation>3号包</translation>
    </message>
    <message>
        <source>Bat 4</source>
        <translation>4号包</translation>
    </message>
    <message>
        <source>Bat 5</source>
        <translation>5号包</translation>
    </message>
    <message>
        <source>Bat 6</source>
        <translation>6号包</translation>
    </message>
    <message>
        <source>Bat 7</source>
        <translation>7号包</translation>
    </message>
    <message>
        <source>Bat 8</source>
        <translation>8号包</translation>
    </message>
    <message>
        <source>Bat 9</source>
        <translation>9号包</translation>
    </message>
    <message>
        <source>Bat 10</source>
        <translation>10号包</translation>
    </message>
    <message>
        <source>Bat 11</source>
        <translation>11号包</translation>
    </message>
    <message>
        <source>Bat 12</source>
        <translation>12号包</translation>
    </message>
    <message>
        <source>Bat 13</source>
        <translation>13号包</translation>
    </message>
    <message>
        <source>Bat 14</source>
        <translation>14号包</translation>
    </message>
    <message>
        <source>Bat 15</source>
        <translation>15号包</translation>
    </message>
    <message>
        <source>Bat 16</source>
        <translation>16号包</translation>
    </message>
    <message>
        <source>State: </source>
        <translation>状态：</translation>
    </message>
    <message>
        <source>Present Num: </source>
        <translation>在线包数：</translation>
    </message>
    <message>
        <source>Total Voltage: </source>
        <translation>总电压：</translation>
    </message>
    <message>
        <source>Total Current: </source>
        <translation>总电流：</translation>
    </message>
    <message>
        <source>Total SOC: </source>
        <translation>总SOC：</translation>
    </message>
    <message>
        <source>Total SOH: </source>
        <translation>总SOH：</translation>
    </message>
</context>
<context>
    <name>BatteryInfo</name>
    <message>
        <source>SOC:</source>
        <translation>SOC：</translation>
    </message>
    <message>
        <source>SOH:</source>
        <translation>SOH：</translation>
    </message>
    <message>
        <source>Capacity:</source>
        <translation>容量：</translation>
    </message>
    <message>
        <source>Current:</source>
        <translation>电流：</translation>
    </message>
    <message>
        <source>Temp:</source>
        <translation>温度：</translation>
    </message>
    <message>
        <source>Max Voltage:</source>
        <translation>最高单体电压：</translation>
    </message>
    <message>
        <source>Min Voltage:</source>
        <translation>最低单体电压：</translation>
    </message>
    <message>
        <source>Vol Difference:</source>
        <translation>压差：</translation>
    </message>
    <message>
        <source>Max Vol ID:</source>
        <translation>最高电压单体：</translation>
    </message>
    <message>
        <source>Min Vol ID:</source>
        <translation>最低电压单体：</translation>
    </message>
    <message>
        <source>Basic Status:</source>
        <translation>基本状态：</translation>
    </message>
    <message>
        <source>System Fault:</source>
        <translation>系统故障：</translation>
    </message>
    <message>
        <source>Device Address:</source>
        <translation>设备地址：</translation>
    </message>
    <message>
        <source>Boot Version:</source>
        <translation>Boot 版本：</translation>
    </message>
    <message>
        <source>Main Soft Version:</source>
        <translation>主程序版本：</translation>
    </message>
    <message>
        <source>Comm Version:</source>
        <translation>通信版本：</translation>
    </message>
    <message>
        <source>Cell Number:</source>
        <translation>单体数量：</translation>
    </message>
    <message>
        <source>Max Charge Current:</source>
        <translation>最大充电电流：</translation>
    </message>
    <message>
        <source>Release Date:</source>
        <translation>发布日期：</translation>
    </message>
    <message>
        <source>Specification:</source>
        <translation>规格：</translation>
    </message>
    <message>
        <source>Barcode:</source>
        <translation>条码：</translation>
    </message>
    <message>
        <source>Add Barcode</source>
        <translation>添加条码</translation>
    </message>
    <message>
        <source>Chart / Table</source>
        <translation>图表 / 表格</translation>
    </message>
    <message>
        <source>Cell Volt-Temp</source>
        <translation>单体电压与温度</translation>
    </message>
    <message>
        <source>Cell ID</source>
        <translation>单体编号</translation>
    </message>
    <message>
        <source>Volt(V)</source>
        <translation>电压(V)</translation>
    </message>
    <message>
        <source>Temp(℃)</source>
        <translation>温度(°C)</translation>
    </message>
    <message>
        <source>Cell Id</source>
        <translation>单体编号</translation>
    </message>
    <message>
        <source>Device Address: </source>
        <translation>设备地址：</translation>
    </message>
    <message>
        <source>Boot Version: </source>
        <translation>Boot 版本：</translation>
    </message>
    <message>
        <source>Barcode: </source>
        <translation>条码：</translation>
    </message>
    <message>
        <source>Specification: </source>
        <translation>规格：</translation>
    </message>
    <message>
        <source>Main Soft Version: </source>
        <translation>主程序版本：</translation>
    </message>
    <message>
        <source>Comm Version: </source>
        <translation>通信版本：</translation>
    </message>
    <message>
        <source>Max Charge Current: </source>
        <translation>最大充电电流：</translation>
    </message>
    <message>
        <source>Release Date: </source>
        <translation>发布日期：</translation>
    </message>
    <message>
        <source>Cell Number: </source>
        <translation>单体数量：</translation>
    </message>
    <message>
        <source>SOC: </source>
        <translation>SOC：</translation>
    </message>
    <message>
        <source>SOH: </source>
        <translation>SOH：</translation>
    </message>
    <message>
        <source>Capacity: </source>
        <translation>容量：</translation>
    </message>
    <message>
        <source>Current: </source>
        <translation>电流：</translation>
    </message>
    <message>
        <source>Temp: </source>
        <translation>温度：</translation>
    </message>
    <message>
        <source>Max Voltage: </source>
        <translation>最高单体电压：</translation>
    </message>
    <message>
        <source>Min Voltage: </source>
        <translation>最低单体电压：</translation>
    </message>
    <message>
        <source>Vol Difference: </source>
        <translation>压差：</translation>
    </message>
    <message>
        <source>Max Vol ID: </source>
        <translation>最高电压单体：</translation>
    </message>
    <message>
        <source>Min Vol ID: </source>
        <translation>最低电压单体：</translation>
    </message>
    <message>
        <source>Basic Status: </source>
        <translation>基本状态：</translation>
    </message>
    <message>
        <source>System Fault: </source>
        <translation>系统故障：</translation>
    </message>
    <message>
        <source>Volt</source>
        <translation>电压</translation>
    </message>
    <message>
        <source>Temp</source>
        <translation>温度</translation>
    </message>
</context>
<context>
    <name>CrashReportDialog</name>
    <message>
        <source>Dialog</source>
        <translation>对话框</translation>
    </message>
    <message>
        <source>Sorry, This app was crashed last time!</source>
        <translation>抱歉，程序上次运行时崩溃了！</translation>
    </message>
    <message>
        <source>Please send us the files that  popped up in the &quot;File window&quot;. So we can solve the App-crash problem.</source>
        <translation>请把弹出的“文件窗口”中的文件发给我们，以便我们解决程序崩溃的问题。</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>DataEvent</name>
    <message>
        <source>Form</source>
        <translation>事件详情</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Message</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>In real-time rendering, can&apos;t switch pages!
Please click &quot;RTData OFF&quot;!</source>
        <translation>正在实时采集，无法切换页面！
请先点击“停止采集”！</translation>
    </message>
</context>
<context>
    <name>RecordFile</name>
    <message>
        <source>It holds other data than a recording of this program.</source>
        <translation>该文件包含的不是本程序的记录数据。</translation>
    </message>
</context>
<context>
    <name>TextSaver</name>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Could not save %1:
%2</source>
        <translation>无法保存 %1：
%2</translation>
    </message>
</context>
<context>
    <name>TransProgress</name>
    <message>
        <source>Transmit</source>
        <translation>传输</translation>
    </message>
    <message>
        <source>Transmit Progress:</source>
        <translation>传输进度：</translation>
    </message>
</context>
<context>
    <name>UpdataLogin</name>
    <message>
        <source>Notice</source>
        <translation>注意</translation>
    </message>
    <message>
        <source>The Password is empty!</source>
        <translation>密码为空！</translation>
    </message>
</context>
<context>
    <name>UpdateLogin</name>
    <message>
        <source>Notice</source>
        <translation>注意</translation>
    </message>
    <message>
        <source>Notice:Battery will be dead if uploading worry firmware!</source>
        <translation>注意：升级错误的固件会导致电池包无法工作！</translation>
    </message>
    <message>
        <source>password：</source>
        <translation>密码：</translation>
    </message>
</context>
<context>
    <name>WaitConfig</name>
    <message>
        <source>Waiting</source>
        <translation>请稍候</translation>
    </message>
    <message>
        <source>Please wait for the host to upgrade !</source>
        <translation>请等待主机升级完成！</translation>
    </message>
</context>
</TS>
