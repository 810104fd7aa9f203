#ifndef BMSMAINWIN_H
#define BMSMAINWIN_H

#include <QByteArray>
#include <QDateTime>
#include <QMainWindow>
#include <QList>
#include <QMutex>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

#include <climits>
#include <functional>

#include "replyframer.h"
#include "realtimetrace.h"
#include "serialsettings.h"

class QCloseEvent;
class QLabel;
class QModelIndex;
class QProgressBar;
class QSettings;
class QStandardItemModel;
class QTableView;
class QTimer;
class MySerial;
class Battery;
class BatteryGroup;
class BatteryInfo;
class BmsSimulator;
class RecordFile;
class RealTimeItem;

namespace QtCharts {
class QChart;
class QLineSeries;
class QValueAxis;
}
class TransProgress;
class UpdataLogin;
class UpdataThread;
class WaitConfig;

namespace Ui {
class BMSMainWin;
}

// The one window of the program and the owner of all protocol state. Its members are
// defined next to the subsystem they belong to (serial/, status/, detail/, …); this
// file only declares them. The reply parsers and slots are public so that tests can
// drive them exactly as the dispatch does and read the widgets by object name.
class BMSMainWin : public QMainWindow
{
    Q_OBJECT

public:
    explicit BMSMainWin(QWidget* parent = nullptr);
    ~BMSMainWin() override;

    // ---- window set-up (app/) ----
    void MainUiInit();
    void ConnectInit();
    void createActions();
    void createMenus();
    void TableViewSytleInit(QTableView* view);
    void RefreshDPI();
    // Fonts, minimum and maximum sizes of every laid-out widget below parent for the
    // rates, always from the values the form gave them.
    void changeObjectSize(const QObject& parent, double widthRate, double heightRate);
    // Window size and position for an available screen area (start-up and tests).
    static QRect StartGeometry(const QRect& available);

    // ---- serial port (serial/) ----
    void SetSerialUi();
    QStringList getSerialNameList();
    // Ends the session with the device, by Logout or because the port went away (lost):
    // polling and every subsystem's work stop, every view is reset, one box at most.
    void EndPortSession(bool lost);

    // ---- command channel (serial/) ----
    void SendCommand(const QString& cmd);
    void GuiThreadSleep(int ms);
    // What SerialDataRead does with one chunk read from the port.
    void ReceiveChunk(const QByteArray& chunk);
    // Starts the polling cycle again after a one-off command, if the port is open and
    // the overview page polls.
    void ResumePolling();
    // Sends a one-off command with the polling held, so that no tick replaces it as the
    // current command before its reply; settleMs is waited before the polling resumes.
    void SendHoldingPolling(const QString& cmd, int settleMs = 0);

    // ---- settings file ----
    // Start directory of a file dialog ("path/downpath", "path/lastpath"); "." when
    // nothing was chosen yet.
    QString dialogStartDir(const QString& key) const;
    // Remembers the directory of a file the operator picked for the next dialog.
    void rememberDialogDir(const QString& key, const QString& chosenFile);

    // ---- reply parsers, one per command; each takes the whole reply text ----
    void InfoProcess(const QString& reply);
    void BatProcess(const QString& reply, int cellCount);
    void PwrsysProcess(const QString& reply);
    void PwrSigleProcess(const QString& reply);
    void PwrAlarmProcess(const QString& reply, int presentNum);
    void BalanceProcess(const QString& reply, int presentNum);
    void CtrlProcess(const QString& reply);
    void OpenMosProcess(const QString& reply);
    void CloseMosProcess(const QString& reply);
    void TallProcess(const QString& reply);
    void TbarProcess(const QString& reply);
    void ConfigProcess(const QString& reply);
    void ConfigDefaProcess(const QString& reply);
    void DataProcess(const QString& reply);
    void DataEventProcess(const QString& reply);
    void DataListEventProcess(const QString& reply);
    void DISPPWRSProcess(const QString& reply);
    void DispStopProcess(const QString& reply);
    void UpdateProcess(const QString& reply);
    void WakeProcess(const QString& reply);

    // Moves the gauge of pack (1-based) to soc.
    void BatterySocChange(int pack, double soc);
    // The sixteen pack gauges, in pack order.
    QList<Battery*> gauges() const;
    // Gauges back to their disconnected look.
    void BatteryInit();

    // ---- protection settings (config/) and event history (history/) ----
    // Called when the port is closed or lost: end what runs on these pages and empty
    // them. No box; a sentence for the operator when something was interrupted.
    QString ConfigPortClosed();
    QString HistoryPortClosed();
    // The last whole "config" reply, as saved by ConfigDownBtn_clicked.
    QString configText;
    // ---- real-time page (realtime/) ----
    void RealTimePageInit();
    void RealTimeChartInit();
    void RateOfChartInit();
    // The port closed or vanished: a running stream ends on the program's side (the
    // device cannot be told any more), so the operator can leave the page. Returns a
    // sentence for the operator, or an empty string when no stream ran.
    QString RealTimePortClosed();

    // The in-process simulated device, while it runs (null otherwise).
    BmsSimulator* simulatorDevice() const { return simulator; }

signals:
    void CommandInfoStr(const QString& reply);

public slots:
    // pages (app/)
    void SendDataBtn_clicked();
    void BasicBtn_clicked();
    void RealBtn_clicked();
    void ConfigBtn_clicked();
    void HistoryBtn_clicked();
    void UpPageBtn_clicked();
    void CurrTimeTimerOut();
    void OnDeskTopResize(const QRect& availableGeometry);

    // serial port (serial/)
    void ReflashSerialComx();
    void OpenBtn_clicked();
    void CloseBtn_clicked();

    // command channel (serial/)
    void SerialDataRead();
    void SerialDataParse();
    // parseTimer's slot: waits out the rest of the quiet period if bytes came since the
    // timer was started, else SerialDataParse.
    void ParseTimerDue();
    void CommandInfoStrParse(const QString& reply);
    void RealTimerTimeOut();
    void RealTimerBtn_clicked();
    void GroupBatClicked(bool active, int num);
    void RecTextChag();
    void RTRecTextChag();

    // console (serial/)
    void actionConsole_triggered();
    void actionExit_Consle_triggered();
    void SendBtn_clicked();
    void InfoBtn_clicked();
    void PwrBtn_clicked();
    void BatBtn_clicked();
    void ConfigDeBtn_clicked();

    // real-time page (realtime/)
    void RTDataOnBtn_clicked();
    void RTDataOffBtn_clicked();
    void RTDataDownBtn_clicked();
    void ClearRTDataBtn_clicked();
    void SocPointHoverd(const QPointF& point, bool state);
    void VoltPointHoverd(const QPointF& point, bool state);
    void CurrPointHoverd(const QPointF& point, bool state);
    void TempPointHoverd(const QPointF& point, bool state);

    // barcode entry from the detail view
    void AddBarcode(const QString& barcode);

    // device control (control/): MOSFET switching and the self-test
    void CfetOnBtn_clicked();
    void CfetOffBtn_clicked();
    void DfetOnBtn_clicked();
    void DfetOffBtn_clicked();
    void SelfTestBtn_clicked();
    void SelfTestTimeOut();

    // simulated device (app/)
    void actionSimulator_triggered();

    // protection settings (config/) and event history (history/)
    void ConfigDownBtn_clicked();
    void HisEveBtn_clicked();
    void ContinueBtn_clicked();
    void RefleshBtn_clicked();
    void ClickEventShow(const QModelIndex& index);

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void TellSessionEnd(bool lost, const QStringList& interrupted);
    // Parts of MainUiInit.
    void PageWidgetsInit();
    void PageTablesInit();
    void TransferInit();
    void SettingsInit();
    void setPageButtonImages(int pressedIndex);
    void switchPage(int index);
    // Hands bytes that start with an Xmodem control byte to the firmware transfer.
    void XmodemHandOff(const QByteArray& bytes);
    // Close-port reset of every view that shows device data.
    void ResetDeviceViews();
    // Headers and section sizes of the event table: 17 columns with "mask", else 16.
    void setEventColumns(bool maskColumn);

    // ---- device control (control/) ----
    void ControlInit();
    void SwitchMos(const QString& command);
    void MosResult(const QString& reply, const QString& success, const QString& failure);
    void EndSelfTest();

    // real-time page (realtime/)
    void RealTimeRestart(const RealTimeItem& item);
    void RealTimePlot(double minutes, const RealTimeItem& item);
    void RealTimeShow(double minutes);
    void RealTimeClear();
    void RealTimeTipsClear();
    void RealTimeClearSeries();
    // Logout: the stream log and the curves go with the rest of the device's data.
    void RealTimeRecordClear();
    void RealTimeLogAppend(const QString& text);
    // The tip of a hovered curve: value (NaN when it is none of the run's) put into
    // text after the time.
    void ShowRealTimeTip(const QPointF& point, bool state, double value, const QString& text, int decimals,
                         bool leftOfCursor);

public:
    // ---- protocol state, shared by the subsystems ----
    Ui::BMSMainWin* ui = nullptr;
    MySerial* serial = nullptr;
    bool portOpen = false;
    QTimer* parseTimer = nullptr;
    // rxRaw and rxFrame: the received bytes on their way to the console view and
    // the parsers.
    ReplyFramer framer;
    QStringList portNames;
    QTimer* portScanTimer = nullptr;
    QProgressBar* transBar = nullptr;
    bool fastParse = false;
    QTimer* updateTimer = nullptr;
    QTimer* transTimer = nullptr;
    QString CurrentCommand;
    QMutex cmdMutex;
    QStandardItemModel* configModel = nullptr;
    QTimer* pollTimer = nullptr;
    bool basicPolling = true;
    bool selfTesting = false;
    int pollTick = 0;
    bool eventListing = false;
    bool eventMaskCol = false;
    QTimer* ReContinueTimer = nullptr;
    QStandardItemModel* eventModel = nullptr;
    int currBatNum = 0;
    int presentNum = 0;
    int oldPresentNum = 0;
    QString deviceModel;
    bool rtDisplaying = false;
    QSettings* settings = nullptr;
    QLabel* sysTimeLab = nullptr;
    QLabel* cmdStateLab = nullptr;
    QTimer* clockTimer = nullptr;
    bool GroupBtnFlag = false;
    double widthRate = 1.0;
    double heightRate = 1.0;
    QDateTime rtStartTime;

    // ---- device control (control/) ----
    // A self-test that gives no answer within this time is ended by the program, so
    // the operator is never left with every command blocked.
    QTimer* selfTestTimer = nullptr;
    static constexpr int SelfTestLimitMs = 60000;
    // Ends what this subsystem runs when the port closes or vanishes; returns a
    // sentence for the operator about what was interrupted, or an empty string.
    QString ControlPortClosed();
    // ---- real-time charts (realtime/) ----
    QtCharts::QChart* socChart = nullptr;
    QtCharts::QChart* voltChart = nullptr;
    QtCharts::QChart* currChart = nullptr;
    QtCharts::QChart* tempChart = nullptr;
    QtCharts::QValueAxis* socAxisY = nullptr;
    QtCharts::QValueAxis* voltAxisY = nullptr;
    QtCharts::QValueAxis* currAxisY = nullptr;
    QtCharts::QValueAxis* tempAxisY = nullptr;
    QtCharts::QLineSeries* socSeries = nullptr;
    QtCharts::QLineSeries* voltSeries = nullptr;
    QtCharts::QLineSeries* currSeries = nullptr;
    QtCharts::QLineSeries* tempSeries = nullptr;
    QLabel* tipLab = nullptr;
    // Extremes of the run, which set the value axes.
    int socMax = 0;
    int socMin = 0;
    double voltMin = 0.0;
    double voltMax = 0.0;
    double currMin = 0.0;
    double currMax = 0.0;
    double tempMin = 0.0;
    double tempMax = 0.0;
    // Distinct values of the run, in order of first appearance: what a hover tip may show.
    QList<int> socList;
    QList<double> voltList;
    QList<double> currList;
    QList<int> tempList;
    int lastSoc = 0;
    int lastTemp = 0;
    // What the four charts draw (SOC, voltage, current, temperature), and for each the
    // first point their series has not taken yet.
    RealTimeTrace rtTraces[4];
    int rtDrawFrom[4] = {INT_MAX, INT_MAX, INT_MAX, INT_MAX};
    // Every stream reply as received, with the finish paragraphs: what the export
    // writes. The hidden log view keeps only its newest lines.
    QByteArray rtLog;

    // Where getSerialNameList() takes the system's ports from; tests put a fixed
    // list here to unplug an adapter on demand.
    std::function<QStringList()> portListProvider;

    // Told the name of every parser the dispatch tables choose, before it runs; the
    // routing tests listen here.
    std::function<void(const char* parser, const QString& reply)> routeObserver;

    // Re-sends of "login debug" after "Unknown command" are spaced at least this far
    // apart, so a confused device cannot drive the program into a busy loop.
    qint64 lastLoginRetryMs = 0;
    bool loginRetryPending = false;

    // ---- recording to CSV (record/) ----
    void RecordInit();
    void actionRecord_triggered(bool checked);
    // Appends every completed polling cycle to path from now on; false, after a box
    // naming the file and the reason, when the file cannot be used.
    bool StartRecording(const QString& path);
    void StopRecording();
    // The last reply of a polling cycle has been parsed, so every value the cycle read
    // is in the views.
    void PollCycleCompleted();
    RecordFile* recordFile = nullptr; // while recording
    QLabel* recordLab = nullptr;
    // Told after each cycle has been written; the recording tests listen here.
    std::function<void()> recordObserver;

private:
    BmsSimulator* simulator = nullptr;
    // A port typed into PortComBox that the system does not enumerate (a pty, a
    // socat bridge): it counts as present while its device node exists.
    QString typedPort;

    // ---- firmware update (update/) ----
public slots:
    void UpDateBtn_clicked();
    void UpdateBtn_Clicked();
    void UbootBtn_clicked();
    void WakeBtn_clicked();
    void UpdataSoft();
    void UpdateBoot();
    void UpdateStart(const QString& command);
    void UpdataFileTranStart();
    void UpdataStartTimeOut();
    void UpdataFileTranFinish(int result);
    void UpdataFileError(const QString& fileName, const QString& reason);
    void UpdataTransTimeOut();
    void UpdateTimeOut();
    void UpdataThreadSendData(const QByteArray& bytes);
    // Ends whatever part of an update still runs, quietly: worker, timers, dialogs,
    // controls. Every ending of the workflow goes through here.
    void TransitAbr();
    void Updating(bool enable);

public:
    // Where the workflow stands; anything but Idle means the pack's firmware is at stake.
    enum class UpdateStage { Idle, Armed, Transferring, WaitingReboot };

    void UpdateUiInit();
    void UpdateConnectInit();
    void UpdatePageShown();
    // The update guide, a large photograph on a page many sessions never open: read
    // when the page is first shown, not at start-up.
    static const char* const UpdateGuide;
    // The port was closed or lost: ends the update and says what was interrupted
    // (empty when nothing ran). Shows no box itself.
    QString UpdatePortClosed();
    // The quit question, which warns while the firmware is at stake.
    QString UpdateQuitQuestion() const;
    // Quit: the worker is told to cancel and is joined before the window goes.
    void UpdateShutdown();

    UpdateStage updateStage = UpdateStage::Idle;
    UpdataThread* updThread = nullptr;
    TransProgress* transDlg = nullptr;
    WaitConfig* waitDlg = nullptr;
    QPointer<UpdataLogin> loginDlg;

private:
    void askAccessCode(bool refuseWhileBusy, const QString& unknownText, void (BMSMainWin::*onSuccess)());
    void rejectFirmware(const QString& text);
    int shownProgress = -1;
};

#endif // BMSMAINWIN_H
