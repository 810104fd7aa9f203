#ifndef BATTERYINFO_H
#define BATTERYINFO_H

#include <QList>
#include <QPair>
#include <QPointF>
#include <QString>
#include <QWidget>

#include "batterycell.h"
#include "screenscale.h"

class QStandardItemModel;
class QTableView;

namespace QtCharts {
class QChart;
class QValueAxis;
}

namespace Ui {
class BatteryInfo;
}

// One pack in detail: its number and basic data, its identity from the "info" reply
// and its cells as a chart or a table. Created without a parent it only holds the
// values of one row of the "pwr" pack table and is never shown.
class BatteryInfo : public QWidget
{
    Q_OBJECT

public:
    explicit BatteryInfo(QWidget* parent = nullptr);
    ~BatteryInfo() override;

    void SetDeviceAdd(const QString& add) { DeviceAdd = add; }
    QString GetDeviceAdd() const { return DeviceAdd; }
    void SetBootVersion(const QString& v) { BootVersion = v; }
    void SetComVersion(const QString& v) { ComVersion = v; }
    void SetMainVersion(const QString& v) { MainVersion = v; }
    void SetBarcode(const QString& barcode) { Barcode = barcode; }
    void SetSpecification(const QString& spec) { Specification = spec; }
    void SetMaxChargeCurr(const QString& curr) { MaxChargeCurr = curr; }
    void SetRelaseDate(const QString& date) { RelaseDate = date; }
    void SetCellNumber(int n) { CellNumber = n; }
    int GetCellNumber() const { return CellNumber; }
    void SetBatterys(const QList<BatteryCell>& cells) { Batterys = cells; }
    QList<BatteryCell> GetBatterys() const { return Batterys; }
    void SetMaxVol(double v) { MaxVol = v; }
    void SetMinVol(double v) { MinVol = v; }
    void SetMaxVolid(int id) { MaxVolid = id; }
    void SetMinVolid(int id) { MinVolid = id; }
    void SetSOC(int soc) { SOC = soc; }
    void SetCurrent(double a) { Current = a; }
    void SetEnviornmentTemp(double t) { EnviornmentTemp = t; }
    void SetSOH(double soh) { SOH = soh; }
    double GetSOH() const { return SOH; }
    void SetAllCoulomb(double c) { AllCoulomb = c; }
    double GetAllCoulomb() const { return AllCoulomb; }
    void SetBasicStatus(const QString& s) { BasicStatus = s; }
    QString GetBasicStatus() const { return BasicStatus; }
    void SetSysDefault(const QString& s) { SysDefault = s; }
    QString GetSysDefault() const { return SysDefault; }
    void SetVoltState(const QString& s) { VoltState = s; }
    QString GetVoltState() const { return VoltState; }
    void SetCurrState(const QString& s) { CurrState = s; }
    QString GetCurrState() const { return CurrState; }
    void SetTempState(const QString& s) { TempState = s; }
    QString GetTempState() const { return TempState; }
    void SetBatteryVolState(const QString& s) { BatteryVolState = s; }
    QString GetBatteryVolState() const { return BatteryVolState; }
    void SetBatteryTempState(const QString& s) { BatteryTempState = s; }
    QString GetBatteryTempState() const { return BatteryTempState; }
    void SetTime(const QString& t) { Time = t; }
    QString GetTime() const { return Time; }

    // Pack number in BattIdLab; the number itself is not kept.
    void SetCurrBatNum(int n);
    // Information box and add-barcode button from the stored identity.
    void SetInfoMess();
    // Basic-data labels from the stored values.
    void SetBasicMess();
    // Chart points, line chart and cell table from the stored cells.
    void CreatCellCharts();
    // No cells: chart without series, table without rows.
    void SetCellInit();
    // The look of a closed port.
    void SetBatteryInfoInit();
    // Fonts and row stretches for a screen smaller than the design size.
    void SetRate(double widthRate, double heightRate);
    // Scroll bars and header of a table view in the style of this page.
    void TableViewSytleInit(QTableView* view);

signals:
    void MissBarcode(const QString& barcode);

public slots:
    void ChangeBtn_Clicked();
    void AddBarBtn_Clicked();

private:
    void ChartInit();
    void TableInit();
    // Parts of CreatCellCharts: the two lines with their axes, and the table.
    void DrawCellLines();
    void SetCellTicks();
    void AddCellLine(const QList<QPair<QPointF, QString>>& points, QtCharts::QValueAxis* axisY);
    void FillCellTable();

    Ui::BatteryInfo* ui = nullptr;
    QString DeviceAdd;
    QString BootVersion;
    QString ComVersion;
    QString MainVersion;
    QString Barcode;
    QString Specification;
    QString MaxChargeCurr;
    QString RelaseDate;
    int CellNumber = 0;
    QList<BatteryCell> Batterys;
    double MaxVol = 0;  // V
    double MinVol = 0;  // V
    int MaxVolid = 0;   // 0-based cell id
    int MinVolid = 0;   // 0-based cell id
    double EnviornmentTemp = 0; // degrees Celsius
    double Current = 0;         // A
    double AllCoulomb = 0;      // AH here; pack SOC in % on a "pwr" row holder
    int SOC = 0;                // %
    double SOH = 0;             // %
    QString BasicStatus;
    QString SysDefault;
    QString VoltState;
    QString CurrState;
    QString TempState;
    QString BatteryVolState;
    QString BatteryTempState;
    QString Time;
    QList<QPair<QPointF, QString>> voltPoints;
    QList<QPair<QPointF, QString>> tempPoints;
    QtCharts::QChart* cellChart = nullptr;
    QtCharts::QValueAxis* cellAxisX = nullptr;
    QtCharts::QValueAxis* tempAxis = nullptr;
    QtCharts::QValueAxis* voltAxis = nullptr;
    QStandardItemModel* cellModel = nullptr;
    bool showTable = false;
    // What SetRate returns to on a screen above the brackets.
    ScreenScale::ChartFonts designFonts{};
    ScreenScale::RowStretch designRows{};
};

#endif // BATTERYINFO_H
