#ifndef BATTERYGROUP_H
#define BATTERYGROUP_H

#include "packrecord.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QPushButton;
class QRadioButton;
class QTimer;

namespace Ui {
class BatteryGroup;
}

// The battery system at a glance: its state and totals, the MOSFET states, one button
// per pack present for picking the pack shown in detail, the abnormal pack states and
// the balance indicators. The reply parsers store values through the setters and then
// ask for a refresh; the view sends the operator's pack choice back by a signal.
class BatteryGroup : public QWidget
{
    Q_OBJECT

public:
    explicit BatteryGroup(QWidget* parent = nullptr);
    ~BatteryGroup() override;

    // Store only; the labels change on SetBattGroupMess().
    void SetGroupState(const QString& state);
    void SetPresentNum(int num);
    void SetCMOSState(const QString& state);
    void SetDMOSState(const QString& state);
    void SetTotalVoltage(double volt);
    void SetTotalCurrent(double curr);
    void SetTotalSOC(int soc);
    void SetTotalSOH(int soh);
    int GetPresentNum() const { return presentNum; }
    QString GetGroupState() const { return groupState; }
    QString GetCMOSState() const { return cmosState; }
    QString GetDMOSState() const { return dmosState; }
    double GetTotalVoltage() const { return totalVoltage; }
    double GetTotalCurrent() const { return totalCurrent; }
    int GetTotalSOC() const { return totalSOC; }
    int GetTotalSOH() const { return totalSOH; }

    // The pack rows of the last "pwr" table and the balance column of the last
    // "balance" table, each replaced whole.
    void SetPackList(const QList<PackRecord>& packs) { packList = packs; }
    QList<PackRecord> GetPackList() const { return packList; }
    void SetBalanceList(const QStringList& states) { balanceList = states; }
    QStringList GetBalanceList() const { return balanceList; }

    void SetBattGroupMess();
    void SetGroupBattBtn();
    void DelGroupBtnWid();
    void SetBattGroupAlarm();
    void SetBattGroupBalanceInfo();
    void BalanceNoVisale();
    void SetBatteryGroupInit();
    void SetRate(double widthRate, double heightRate);

    // The pack buttons in pack order.
    QList<QPushButton*> packButtons() const { return groupBtns; }

    // No more buttons than there are gauges and indicators.
    static constexpr int MaxPacks = 16;

signals:
    // active: the click came while the previous one was still being guarded against.
    void GroupBattBtnClick(bool active, int BatNum);

public slots:
    void BtnBatClicked();

private:
    QRadioButton* balanceIndicator(int index) const;
    void setMosIndicatorSize(int width, int height);

    QList<PackRecord> packList;
    QStringList balanceList;
    Ui::BatteryGroup* ui = nullptr;
    int presentNum = 0;
    double widthRate = 1.0;
    double heightRate = 1.0;
    QString groupState;
    QString cmosState = QStringLiteral("OFF");
    QString dmosState = QStringLiteral("OFF");
    double totalVoltage = 0;
    double totalCurrent = 0;
    int totalSOC = 0;
    int totalSOH = 0;
    QList<QPushButton*> groupBtns;
    QTimer* clickGuard = nullptr;
    QList<QRadioButton*> balanceBtns; // Bat1RadBtn … Bat16RadBtn

    // The MOSFET indicators' look as the form has it; SetRate returns to it.
    QString mosStyle;
    // The balance lights' size and the pack button area's minimum as the form draws them.
    int balanceLedSize = 20;
    QSize buttonAreaSize;
};

#endif // BATTERYGROUP_H
