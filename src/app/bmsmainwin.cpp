#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "battery.h"
#include "batterygroup.h"
#include "batteryinfo.h"
#include "msgbox.h"
#include "myserial.h"
#include "tablestyle.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDebug>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSettings>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

namespace {

struct PageImages {
    const char* normal;
    const char* pressed;
};

// In stack order: console, overview, real time, protection, history, update.
const PageImages kPageImages[6] = {
    {":/icon/res/SendData.png", ":/icon/res/SendDataPress.png"},
    {":/icon/res/normal.png", ":/icon/res/normalpress.png"},
    {":/icon/res/rtdata.png", ":/icon/res/realdatapress.png"},
    {":/icon/res/alarmpro.png", ":/icon/res/alarmpropress.png"},
    {":/icon/res/History.png", ":/icon/res/HistoryPress.png"},
    {":/icon/res/updatepan.png", ":/icon/res/updatepanpress.png"},
};

QString clockText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm"));
}

} // namespace

BMSMainWin::BMSMainWin(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::BMSMainWin)
{
    // The images live in the static core library; without this the linker may drop
    // their registration.
    Q_INIT_RESOURCE(cellvue);
    ui->setupUi(this);
    RefreshDPI();
    SetSerialUi();
    MainUiInit();
    ConnectInit();
    // Once more, now that the status bar, the charts and the rest built in code exist.
    RefreshDPI();
    qDebug() << "ui UpdataThread id" << QThread::currentThreadId();
}

BMSMainWin::~BMSMainWin()
{
    UpdateShutdown();
    if (simulator)
        actionSimulator_triggered(); // stops it
    delete ui;
}

void BMSMainWin::MainUiInit()
{
    setWindowTitle(tr("Korvello - V2.8.4"));
    serial = new MySerial(this);
    portOpen = false;
    parseTimer = new QTimer(this);
    parseTimer->setSingleShot(true);
    fastParse = false;
    pollTimer = new QTimer(this);
    basicPolling = true;
    GroupBtnFlag = false;
    selfTesting = false;
    pollTick = 0;
    portScanTimer = new QTimer(this);
    portScanTimer->start(1000);

    PageWidgetsInit();
    PageTablesInit();
    ui->SendEd->setFocus();
    ui->SendEd->installEventFilter(this);
    currBatNum = presentNum = oldPresentNum = 0;

    createActions();
    createMenus();
    TransferInit();
    rtDisplaying = false;
    RealTimePageInit();
    SettingsInit();

    sysTimeLab = new QLabel(tr("System Time:") + clockText(), this);
    statusBar()->insertPermanentWidget(0, sysTimeLab);
    clockTimer = new QTimer(this);
    clockTimer->start(1000);
    cmdStateLab = new QLabel(tr("Command State:"), this);
    statusBar()->addWidget(cmdStateLab);
    RecordInit();
}

// The overview page first; the console button, the hidden controls of the service
// pages and the port settings other than the port itself are out of sight.
void BMSMainWin::PageWidgetsInit()
{
    ui->StackWid->setCurrentIndex(1);
    setPageButtonImages(1);
    ui->BaudComBox->setCurrentIndex(8);
    ui->DataBitComBox->setCurrentIndex(3);
    ui->StopbitComBox->setCurrentIndex(0);
    ui->ReceTextBro->document()->setMaximumBlockCount(1000);
    ui->CloseBtn->setEnabled(false);
    const QList<QWidget*> hidden{ui->SendDataBtn, ui->RealTimerBtn, ui->SelfTestBtn, ui->UpdateBtn,
                                 ui->CfetOnBtn,   ui->CfetOffBtn,   ui->DfetOnBtn,   ui->DfetOffBtn,
                                 ui->RTDataTextBrow, ui->widget_2,  ui->widget_3,    ui->widget_4,
                                 ui->widget_5};
    for (QWidget* w : hidden)
        w->hide();
}

// The protection table and the event list.
void BMSMainWin::PageTablesInit()
{
    configModel = new QStandardItemModel(this);
    configModel->setColumnCount(4);
    configModel->setHorizontalHeaderLabels(
        {tr("alarm&protcet item"), tr("cell"), tr("power"), tr("unit")});
    ui->ConfigTabView->setModel(configModel);
    ui->ConfigTabView->horizontalHeader()->setVisible(true);
    ui->ConfigTabView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // The item names are the longest texts; on a narrow screen a quarter of the table
    // would cut them off, so the values share what the names leave.
    ui->ConfigTabView->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    eventListing = eventMaskCol = false;
    ReContinueTimer = new QTimer(this);
    ReContinueTimer->setSingleShot(true);
    ReContinueTimer->setInterval(1300);
    eventModel = new QStandardItemModel(this);
    ui->DataListlView->setModel(eventModel);
    setEventColumns(false);
}

// The firmware transfer's progress in the status bar, and its timers.
void BMSMainWin::TransferInit()
{
    auto* progressLab = new QLabel(tr("Transmit progress:"), this);
    progressLab->setFont(QFont(QStringLiteral("Arial"), 9));
    statusBar()->addWidget(progressLab);
    transBar = new QProgressBar(this);
    transBar->setRange(0, 100);
    transBar->setValue(0);
    transBar->setFixedWidth(170);
    statusBar()->addWidget(transBar);
    updateTimer = new QTimer(this);
    transTimer = new QTimer(this);
    transTimer->setInterval(120000);
    UpdateUiInit();
}

void BMSMainWin::SettingsInit()
{
    settings = new QSettings(QStringLiteral("./ConFig/OpenPath.ini"), QSettings::IniFormat, this);
    // Write the file at once, so a technician finds it (with its defaults) to edit.
    for (const QString& key : {QStringLiteral("path/downpath"), QStringLiteral("path/lastpath")})
        settings->setValue(key, dialogStartDir(key));
    settings->sync();
}

void BMSMainWin::ConnectInit()
{
    connect(ui->SendDataBtn, &QPushButton::clicked, this, &BMSMainWin::SendDataBtn_clicked);
    connect(ui->BasicBtn, &QPushButton::clicked, this, &BMSMainWin::BasicBtn_clicked);
    connect(ui->RealBtn, &QPushButton::clicked, this, &BMSMainWin::RealBtn_clicked);
    connect(ui->ConfigBtn, &QPushButton::clicked, this, &BMSMainWin::ConfigBtn_clicked);
    connect(ui->HistoryBtn, &QPushButton::clicked, this, &BMSMainWin::HistoryBtn_clicked);
    connect(ui->UpPageBtn, &QPushButton::clicked, this, &BMSMainWin::UpPageBtn_clicked);

    connect(ui->OpenBtn, &QPushButton::clicked, this, &BMSMainWin::OpenBtn_clicked);
    connect(ui->CloseBtn, &QPushButton::clicked, this, &BMSMainWin::CloseBtn_clicked);
    connect(ui->InfoBtn, &QPushButton::clicked, this, &BMSMainWin::InfoBtn_clicked);
    connect(ui->PwrBtn, &QPushButton::clicked, this, &BMSMainWin::PwrBtn_clicked);
    connect(ui->BatBtn, &QPushButton::clicked, this, &BMSMainWin::BatBtn_clicked);
    connect(ui->ConfigDeBtn, &QPushButton::clicked, this, &BMSMainWin::ConfigDeBtn_clicked);
    connect(ui->SendBtn, &QPushButton::clicked, this, &BMSMainWin::SendBtn_clicked);

    connect(portScanTimer, &QTimer::timeout, this, &BMSMainWin::ReflashSerialComx);
    connect(ui->ReceTextBro, &QTextBrowser::textChanged, this, &BMSMainWin::RecTextChag);
    connect(ui->RTDataTextBrow, &QTextBrowser::textChanged, this, &BMSMainWin::RTRecTextChag);
    connect(serial, &MySerial::readyRead, this, &BMSMainWin::SerialDataRead);
    connect(serial, &MySerial::portLost, this, [this] { EndPortSession(true); });
    connect(parseTimer, &QTimer::timeout, this, &BMSMainWin::ParseTimerDue);
    connect(this, &BMSMainWin::CommandInfoStr, this, &BMSMainWin::CommandInfoStrParse, Qt::DirectConnection);
    connect(pollTimer, &QTimer::timeout, this, &BMSMainWin::RealTimerTimeOut);
    connect(ui->RealTimerBtn, &QPushButton::clicked, this, &BMSMainWin::RealTimerBtn_clicked);
    connect(ui->BattGroupWid, &BatteryGroup::GroupBattBtnClick, this, &BMSMainWin::GroupBatClicked);
    connect(ui->BattInfoWid, &BatteryInfo::MissBarcode, this, &BMSMainWin::AddBarcode);
    connect(clockTimer, &QTimer::timeout, this, &BMSMainWin::CurrTimeTimerOut);
    ControlInit();

    connect(ui->ConfigDownBtn, &QPushButton::clicked, this, &BMSMainWin::ConfigDownBtn_clicked);
    connect(ui->HisEveBtn, &QPushButton::clicked, this, &BMSMainWin::HisEveBtn_clicked);
    connect(ui->ContinueBtn, &QPushButton::clicked, this, &BMSMainWin::ContinueBtn_clicked);
    connect(ui->RefleshBtn, &QPushButton::clicked, this, &BMSMainWin::RefleshBtn_clicked);
    connect(ui->DataListlView, &QTableView::doubleClicked, this, &BMSMainWin::ClickEventShow);
    connect(ui->RTDataOnBtn, &QPushButton::clicked, this, &BMSMainWin::RTDataOnBtn_clicked);
    connect(ui->RTDataOffBtn, &QPushButton::clicked, this, &BMSMainWin::RTDataOffBtn_clicked);
    connect(ui->RTDataDownBtn, &QPushButton::clicked, this, &BMSMainWin::RTDataDownBtn_clicked);
    connect(ui->ClearRTDataBtn, &QPushButton::clicked, this, &BMSMainWin::ClearRTDataBtn_clicked);
    UpdateConnectInit();
}

void BMSMainWin::createActions()
{
    auto* login = new QAction(tr("&Login cmd"), this);
    login->setObjectName(QStringLiteral("actionConsole"));
    login->setStatusTip(tr("Enter the console"));
    connect(login, &QAction::triggered, this, &BMSMainWin::actionConsole_triggered);

    auto* logout = new QAction(tr("&Logout cmd"), this);
    logout->setObjectName(QStringLiteral("actionExit_Consle"));
    logout->setStatusTip(tr("Exit the console"));
    connect(logout, &QAction::triggered, this, &BMSMainWin::actionExit_Consle_triggered);

    auto* sim = new QAction(tr("&Simulated BMS"), this);
    sim->setObjectName(QStringLiteral("actionSimulator"));
    sim->setCheckable(true);
    sim->setStatusTip(tr("Start or stop a simulated battery system on a new serial port"));
    connect(sim, &QAction::triggered, this, &BMSMainWin::actionSimulator_triggered);

    auto* record = new QAction(tr("Record to CSV…"), this);
    record->setObjectName(QStringLiteral("actionRecord"));
    record->setCheckable(true);
    record->setStatusTip(tr("Append every value the overview polls to a CSV file"));
    connect(record, &QAction::triggered, this, &BMSMainWin::actionRecord_triggered);
}

void BMSMainWin::createMenus()
{
    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    tools->addAction(findChild<QAction*>(QStringLiteral("actionConsole")));
    tools->addAction(findChild<QAction*>(QStringLiteral("actionExit_Consle")));
    tools->addSeparator();
    tools->addAction(findChild<QAction*>(QStringLiteral("actionSimulator")));
    tools->addSeparator();
    tools->addAction(findChild<QAction*>(QStringLiteral("actionRecord")));
}

void BMSMainWin::TableViewSytleInit(QTableView* view)
{
    TableStyle::apply(view, TableStyle::Page);
}

void BMSMainWin::setPageButtonImages(int pressedIndex)
{
    QPushButton* buttons[6] = {ui->SendDataBtn, ui->BasicBtn, ui->RealBtn,
                               ui->ConfigBtn, ui->HistoryBtn, ui->UpPageBtn};
    for (int i = 0; i < 6; ++i) {
        const char* image = i == pressedIndex ? kPageImages[i].pressed : kPageImages[i].normal;
        buttons[i]->setStyleSheet(QStringLiteral("QPushButton{border-image:url(%1);}").arg(QLatin1String(image)));
    }
}

// The switching rule every page button shares. Returns without a change while the
// real-time charts are being drawn, since leaving them would orphan the stream.
void BMSMainWin::switchPage(int index)
{
    ui->StackWid->setCurrentIndex(index);
    setPageButtonImages(index);
    if (index == 1) {
        basicPolling = true;
        ResumePolling();
    } else {
        pollTimer->stop();
        basicPolling = false;
    }
}

static bool refuseWhileRendering(BMSMainWin* win)
{
    if (!win->rtDisplaying)
        return false;
    MsgBox::show(win, QMessageBox::Information, QObject::tr("Message"),
                 QObject::tr("In real-time rendering, can't switch pages!\nPlease click \"RTData OFF\"!"));
    return true;
}

void BMSMainWin::SendDataBtn_clicked()
{
    if (refuseWhileRendering(this))
        return;
    switchPage(0);
}

void BMSMainWin::BasicBtn_clicked()
{
    if (refuseWhileRendering(this))
        return;
    switchPage(1);
}

void BMSMainWin::RealBtn_clicked()
{
    switchPage(2);
    if (portOpen && currBatNum == 0) {
        currBatNum = 1;
        ui->CurrBatNumLab->setText(QString::number(currBatNum));
    }
}

void BMSMainWin::ConfigBtn_clicked()
{
    if (refuseWhileRendering(this))
        return;
    switchPage(3);
    TableViewSytleInit(ui->ConfigTabView);
    if (!selfTesting && portOpen) {
        SendCommand(QStringLiteral("config"));
        GuiThreadSleep(400);
    }
}

void BMSMainWin::HistoryBtn_clicked()
{
    if (refuseWhileRendering(this))
        return;
    switchPage(4);
    TableViewSytleInit(ui->DataListlView);
    if (!portOpen)
        return;
    if (!selfTesting) {
        SendCommand(QStringLiteral("data"));
        GuiThreadSleep(100);
    }
    if (deviceModel.isEmpty()) {
        SendCommand(QStringLiteral("info ") + QString::number(currBatNum));
        GuiThreadSleep(300);
    }
}

void BMSMainWin::UpPageBtn_clicked()
{
    if (refuseWhileRendering(this))
        return;
    switchPage(5);
    UpdatePageShown();
}

void BMSMainWin::CurrTimeTimerOut()
{
    sysTimeLab->setText(tr("System Time: ") + clockText());
}

void BMSMainWin::closeEvent(QCloseEvent* event)
{
    const auto answer = MsgBox::show(this, QMessageBox::Question, tr("Korvello"),
                                     UpdateQuitQuestion(),
                                     QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes)
        event->accept();
    else
        event->ignore();
}

bool BMSMainWin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->SendEd && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            SendBtn_clicked();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void BMSMainWin::ResetDeviceViews()
{
    ui->BattGroupWid->SetBatteryGroupInit();
    ui->BattInfoWid->SetBatteryInfoInit();
    BatteryInit();
}

QString BMSMainWin::dialogStartDir(const QString& key) const
{
    return settings->value(key, QStringLiteral(".")).toString();
}

void BMSMainWin::rememberDialogDir(const QString& key, const QString& chosenFile)
{
    settings->setValue(key, QFileInfo(chosenFile).absolutePath());
    settings->sync();
}
