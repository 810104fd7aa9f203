#include "batterygroup.h"
#include "ui_batterygroup.h"

#include "novalue.h"
#include "screenscale.h"

#include <QDebug>
#include <QFont>
#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>

namespace {

const QString themeColor = QStringLiteral("rgb(74,120,222)");

} // namespace

BatteryGroup::BatteryGroup(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::BatteryGroup)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    balanceBtns = { ui->Bat1RadBtn,  ui->Bat2RadBtn,  ui->Bat3RadBtn,  ui->Bat4RadBtn,
                    ui->Bat5RadBtn,  ui->Bat6RadBtn,  ui->Bat7RadBtn,  ui->Bat8RadBtn,
                    ui->Bat9RadBtn,  ui->Bat10RadBtn, ui->Bat11RadBtn, ui->Bat12RadBtn,
                    ui->Bat13RadBtn, ui->Bat14RadBtn, ui->Bat15RadBtn, ui->Bat16RadBtn };

    // The MOSFET marks and balance lights are read-outs: a click must not flip them
    // and make the operator believe a switch happened.
    QList<QRadioButton*> indicators = { ui->CmosRadiBtn, ui->DmosRadiBtn };
    for (int i = 0; i < MaxPacks; ++i)
        indicators.append(balanceIndicator(i));
    for (QRadioButton* indicator : qAsConst(indicators)) {
        indicator->setAutoExclusive(false);
        indicator->setAttribute(Qt::WA_TransparentForMouseEvents);
        indicator->setFocusPolicy(Qt::NoFocus);
    }
    BalanceNoVisale();

    mosStyle = ui->CmosRadiBtn->styleSheet();
    buttonAreaSize = ui->GroupBattBtnWid->minimumSize();
    ui->Bat1RadBtn->ensurePolished();
    balanceLedSize = ui->Bat1RadBtn->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, ui->Bat1RadBtn);
}

BatteryGroup::~BatteryGroup()
{
    qDeleteAll(groupBtns);
    groupBtns.clear();
    delete ui;
}

void BatteryGroup::SetGroupState(const QString& state)
{
    groupState = state;
}

void BatteryGroup::SetPresentNum(int num)
{
    presentNum = num;
}

void BatteryGroup::SetCMOSState(const QString& state)
{
    cmosState = state;
}

void BatteryGroup::SetDMOSState(const QString& state)
{
    dmosState = state;
}

void BatteryGroup::SetTotalVoltage(double volt)
{
    totalVoltage = volt;
}

void BatteryGroup::SetTotalCurrent(double curr)
{
    totalCurrent = curr;
}

void BatteryGroup::SetTotalSOC(int soc)
{
    totalSOC = soc;
}

void BatteryGroup::SetTotalSOH(int soh)
{
    totalSOH = soh;
}

void BatteryGroup::SetBattGroupMess()
{
    ui->StateLab->setText(tr("State: ") + (groupState.isEmpty() ? NoValue::mark() : groupState));
    ui->PreNumLab->setText(tr("Present Num: ") + NoValue::text(presentNum));
    ui->TotalVolLab->setText(tr("Total Voltage: ") + NoValue::text(totalVoltage) + QStringLiteral(" V"));
    ui->TotalCurrLab->setText(tr("Total Current: ") + NoValue::text(totalCurrent) + QStringLiteral(" A"));
    ui->TotalSOCLab->setText(tr("Total SOC: ") + NoValue::text(totalSOC) + QStringLiteral(" %"));
    ui->TotalSOHLab->setText(tr("Total SOH: ") + NoValue::text(totalSOH) + QStringLiteral(" %"));
    ui->CmosRadiBtn->setChecked(cmosState == QLatin1String("ON"));
    ui->DmosRadiBtn->setChecked(dmosState == QLatin1String("ON"));
}

void BatteryGroup::SetGroupBattBtn()
{
    if (NoValue::isNone(presentNum))
        return;
    for (QPushButton* btn : qAsConst(groupBtns))
        delete btn->parentWidget();
    groupBtns.clear();

    // A garbled count (say 2000000) must not make the window build widgets until it
    // freezes; packs above the sixteenth have no gauge and no indicator either.
    const int count = qMin(presentNum, int(MaxPacks));
    int left = 9;
    int spacing = 3;
    if (widthRate <= ScreenScale::Width800) {
        left = 0;
        spacing = 0;
    } else if (widthRate <= ScreenScale::Width1024) {
        left = 3;
    }
    QRect held;
    for (int i = 0; i < count; ++i) {
        auto* holder = new QWidget(ui->GroupBattBtnWid);
        auto* layout = new QGridLayout(holder);
        layout->setContentsMargins(left, 0, 0, 0);
        layout->setVerticalSpacing(spacing);

        auto* btn = new QPushButton(holder);
        btn->setObjectName(QStringLiteral("batBtn%1").arg(i + 1));
        btn->setStyleSheet(QStringLiteral("QPushButton{border-image:url(:/icon/res/Bat%1.png);}"
                                          "QPushButton:pressed{border-image:url(:/icon/res/pressed.png);}")
                               .arg(i + 1));
        btn->setFixedSize(int(widthRate * 95), int(heightRate * 26));
        btn->setCursor(Qt::PointingHandCursor);
        layout->addWidget(btn);
        holder->adjustSize();

        if (i < 8)
            holder->move(0, int((30 * i + 10) * heightRate));
        else
            holder->move(int(widthRate * 110), int((30 * (i % 8) + 10) * heightRate));
        holder->show();
        groupBtns.append(btn);
        connect(btn, &QPushButton::clicked, this, &BatteryGroup::BtnBatClicked);
        held |= holder->geometry();
    }
    // The holders' margins do not shrink with the screen, so below the design size
    // the second column reaches past the area drawn for it: the area grows instead of
    // cutting the buttons off.
    const QSize drawn = ScreenScale::scaled(buttonAreaSize, widthRate, heightRate);
    ui->GroupBattBtnWid->setMinimumSize(drawn.expandedTo(QSize(held.right() + 1, held.bottom() + 1)));
}

void BatteryGroup::DelGroupBtnWid()
{
    groupBtns.clear();
    const QList<QWidget*> inside = ui->GroupBattBtnWid->findChildren<QWidget*>();
    for (QWidget* w : inside)
        w->deleteLater();
}

void BatteryGroup::BtnBatClicked()
{
    const QString name = sender() ? sender()->objectName() : QString();
    qDebug() << "btnname:" << name;

    if (!clickGuard) {
        clickGuard = new QTimer(this);
        clickGuard->setInterval(800);
        clickGuard->setSingleShot(true);
    }
    // Only the first click of any 800 ms window goes through; the guard is not
    // restarted by the clicks it rejects.
    bool active = false;
    if (clickGuard->isActive()) {
        active = true;
    } else {
        clickGuard->start();
    }

    for (int n = 1; n <= MaxPacks; ++n) {
        if (name == QStringLiteral("batBtn%1").arg(n)) {
            qDebug() << "click:" << n;
            emit GroupBattBtnClick(active, n);
            return;
        }
    }
}

void BatteryGroup::SetBattGroupAlarm()
{
    ui->AlarmTextBrow->clear();
    if (packList.isEmpty())
        return;

    QString text;
    for (const PackRecord& pack : qAsConst(packList)) {
        const QString bat = QStringLiteral("bat") + pack.GetDeviceAdd() + QLatin1Char(' ');
        const int before = text.size();
        if (pack.GetBasicStatus().contains(QLatin1String("SysError")))
            text += QStringLiteral("BasicState: ") + bat + pack.GetBasicStatus() + QLatin1Char('\n');
        if (!pack.GetVoltState().contains(QLatin1String("Normal")))
            text += QStringLiteral("VoltState: ") + bat + pack.GetVoltState() + QLatin1Char('\n');
        if (!pack.GetCurrState().contains(QLatin1String("Normal"))) {
            qDebug() << "curr:cocalm";
            text += QStringLiteral("CurrState: ") + bat + pack.GetCurrState() + QLatin1Char('\n');
        }
        if (!pack.GetTempState().contains(QLatin1String("Normal")))
            text += QStringLiteral("TempState: ") + bat + pack.GetTempState() + QLatin1Char('\n');
        if (!pack.GetBatteryVolState().contains(QLatin1String("Normal")))
            text += QStringLiteral("CellVolState: ") + bat + pack.GetBatteryVolState() + QLatin1Char('\n');
        if (!pack.GetBatteryTempState().contains(QLatin1String("Normal")))
            text += QStringLiteral("CellTempState: ") + bat + pack.GetBatteryTempState() + QLatin1Char('\n');
        if (text.size() > before && !pack.GetTime().startsWith(QLatin1Char('-')))
            text += QStringLiteral("AlarmTime: ") + bat + pack.GetTime() + QStringLiteral("\n\r");
    }
    ui->AlarmTextBrow->setPlainText(text);
}

void BatteryGroup::SetBattGroupBalanceInfo()
{
    const int count = qMin(balanceList.size(), int(MaxPacks));
    for (int i = 0; i < count; ++i) {
        QRadioButton* indicator = balanceIndicator(i);
        indicator->setChecked(balanceList.at(i) == QLatin1String("1"));
        indicator->setVisible(true);
    }
}

void BatteryGroup::BalanceNoVisale()
{
    for (int i = 0; i < MaxPacks; ++i)
        balanceIndicator(i)->setVisible(false);
}

void BatteryGroup::SetBatteryGroupInit()
{
    presentNum = 0;
    packList.clear();
    ui->AlarmTextBrow->clear();
    groupBtns.clear();
    BalanceNoVisale();

    const QList<QWidget*> inside = ui->GroupBattBtnWid->findChildren<QWidget*>();
    for (QWidget* w : inside)
        w->deleteLater();

    ui->StateLab->setText(tr("State: "));
    ui->PreNumLab->setText(tr("Present Num: "));
    ui->TotalVolLab->setText(tr("Total Voltage: "));
    ui->TotalCurrLab->setText(tr("Total Current: "));
    ui->TotalSOCLab->setText(tr("Total SOC: "));
    ui->TotalSOHLab->setText(tr("Total SOH: "));
    ui->CmosRadiBtn->setChecked(false);
    ui->DmosRadiBtn->setChecked(false);
}

void BatteryGroup::SetRate(double wr, double hr)
{
    widthRate = wr;
    heightRate = hr;
    qDebug() << "testRate:" << wr;

    // The window has just set margins, spacing, sizes and fonts from the form for these
    // rates; what follows adjusts them for the narrow brackets. The indicator style is
    // this view's own, so it goes back to the form's first.
    ScreenScale::setStyleSheet(ui->CmosRadiBtn, mosStyle);
    ScreenScale::setStyleSheet(ui->DmosRadiBtn, mosStyle);
    // Eight balance lights stacked are what makes this view tall; on a low screen
    // they shrink with it, so the cell chart below keeps room to be read.
    const int led = int(balanceLedSize * qMin(1.0, hr));
    for (int i = 0; i < MaxPacks; ++i)
        ScreenScale::setStyleSheet(balanceIndicator(i), QStringLiteral("QRadioButton::indicator{width:%1px;height:%1px;}").arg(led));

    if (wr <= ScreenScale::Width800) {
        ui->gridLayout_7->setContentsMargins(5, 5, 5, 5);
        ui->gridLayout_7->setHorizontalSpacing(0);
        ui->gridLayout_4->setContentsMargins(1, 1, 1, 1);
        ui->gridLayout_4->setHorizontalSpacing(1);
        ui->gridLayout_5->setHorizontalSpacing(1);
        ui->gridLayout_3->setHorizontalSpacing(0);
        ui->gridLayout_9->setHorizontalSpacing(1);
        ui->gridLayout_9->setVerticalSpacing(1);
        const QFont small(QStringLiteral("Arial"), 6);
        for (int i = 0; i < MaxPacks; ++i)
            balanceIndicator(i)->setFont(small);
        ui->AlarmLab->setFixedSize(20, 40);
        ui->BalanceLab->setFixedSize(25, 40);
        setMosIndicatorSize(27, 20);
        qDebug() << "testRate:" << wr;
    } else if (wr <= ScreenScale::Width1024) {
        ui->BalanceLab->setFixedSize(30, 40);
        setMosIndicatorSize(50, 20);
        qDebug() << "testRate:" << wr;
    } else if (wr <= ScreenScale::Width1440) {
        ui->gridLayout_9->setHorizontalSpacing(0);
        setMosIndicatorSize(60, 30);
    }
    // Buttons already built were sized and placed for the rates before.
    if (!groupBtns.isEmpty())
        SetGroupBattBtn();
}

QRadioButton* BatteryGroup::balanceIndicator(int index) const
{
    return balanceBtns.at(index);
}

void BatteryGroup::setMosIndicatorSize(int width, int height)
{
    const QString style = QStringLiteral("QRadioButton{color:%1;padding-left:0px;spacing:1px;}"
                                         "QRadioButton::indicator{width:%2px;height:%3px;}"
                                         "QRadioButton::indicator:unchecked{image:url(:/icon/res/mosoff.png);}"
                                         "QRadioButton::indicator:checked{image:url(:/icon/res/moson.png);}")
                              .arg(themeColor)
                              .arg(width)
                              .arg(height);
    ui->CmosRadiBtn->setStyleSheet(style);
    ui->DmosRadiBtn->setStyleSheet(style);
}
