#ifndef BMSMAINWIN_H
#define BMSMAINWIN_H

#include <QByteArray>
#include <QDateTime>
#include <QMainWindow>
#include <QMutex>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

#include "serialsettings.h"

class QCloseEvent;
class QLabel;
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

    // ---- command channel (serial/) ----
    void SendCommand(const QString& cmd);
    void GuiThreadSleep(int ms);
    // What SerialDataRead does with one chunk read from the port.
    void ReceiveChunk(const QByteArray& chunk);

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

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setPageButtonImages(int pressedIndex);
    void switchPage(int index);
    // Hands bytes that start with an Xmodem control byte to the firmware transfer.
    void XmodemHandOff(const QByteArray& bytes);
    // Close-port reset of every view that shows device data.
    void ResetDeviceViews();

    // ---- device control (control/) ----
    void ControlInit();
    void SwitchMos(const QString& command);
    void MosResult(const QString& reply, const QString& success, const QString& failure);
    void EndSelfTest();

public:
    // ---- protocol state, shared by the subsystems ----
    Ui::BMSMainWin* ui = nullptr;
    MySerial* serial = nullptr;
    bool portOpen = false;
    QTimer* parseTimer = nullptr;
    QByteArray rxRaw;
    QByteArray rxFrame;
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
    int eventCount = 0;
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
    QString updateFile;
    QDateTime rtStartTime;

    // ---- device control (control/) ----
    // A self-test that gives no answer within this time is ended by the program, so
    // the operator is never left with every command blocked.
    QTimer* selfTestTimer = nullptr;
    static constexpr int SelfTestLimitMs = 60000;
    // Ends what this subsystem runs when the port closes or vanishes; returns a
    // sentence for the operator about what was interrupted, or an empty string.
    QString ControlPortClosed();

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

private:
    BmsSimulator* simulator = nullptr;
    // A port typed into PortComBox that the system does not enumerate (a pty, a
    // socat bridge): it counts as present while its device node exists.
    QString typedPort;
};

#endif // BMSMAINWIN_H
