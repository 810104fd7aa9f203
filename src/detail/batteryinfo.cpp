#include "batteryinfo.h"
#include "ui_batteryinfo.h"

#include "addbarcode.h"
#include "chartfonts.h"
#include "novalue.h"
#include "screenscale.h"
#include "tablestyle.h"

#include <QDebug>
#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <cmath>

using namespace QtCharts;

namespace {

constexpr int CellsPerRow = 4;
constexpr int TableColumns = CellsPerRow * 3;

// One tick per cell reads well up to this many cells; above it the labels would
// run into each other (and a garbled cell count could ask for millions of ticks).
constexpr int MaxCellTicks = 32;

// The value text, or "--" when the device gave none.
QString orMark(const QString& value)
{
    return value.isEmpty() ? NoValue::mark() : value;
}

// A 0-based id shown 1-based, or "--".
QString idText(int id)
{
    return NoValue::isNone(id) ? NoValue::mark() : QString::number(id + 1);
}

QStandardItem* centredItem(const QString& text)
{
    auto* item = new QStandardItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

} // namespace

BatteryInfo::BatteryInfo(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::BatteryInfo)
{
    ui->setupUi(this);
    CellNumber = 0;
    MaxVol = MinVol = 0;
    MaxVolid = MinVolid = 0;
    EnviornmentTemp = Current = AllCoulomb = SOH = 0;
    SOC = 0;
    showTable = false;

    ui->CellStackWid->setCurrentIndex(0);
    ui->AddBarBtn->hide();

    ChartInit();
    TableInit();
    // What SetRate changes, as the form and the chart set-up have it.
    designFonts = {cellChart->titleFont().pointSize(), cellChart->legend()->font().pointSize(),
                   cellAxisX->titleFont().pointSize(), cellAxisX->labelsFont().pointSize()};
    designRows = {ui->gridLayout_7->rowStretch(0), ui->gridLayout_7->rowStretch(1), ui->gridLayout_7->rowStretch(2)};
    connect(ui->ChangeBtn, &QPushButton::clicked, this, &BatteryInfo::ChangeBtn_Clicked);
    connect(ui->AddBarBtn, &QPushButton::clicked, this, &BatteryInfo::AddBarBtn_Clicked);
    TableViewSytleInit(ui->cellTableView);
    setAttribute(Qt::WA_DeleteOnClose);
}

BatteryInfo::~BatteryInfo()
{
    qDebug() << "BatteryInfo 析构";
    delete ui;
}

void BatteryInfo::ChartInit()
{
    cellChart = new QChart;
    // In its view before anything is added: the view lays out what its chart holds at
    // once, and the additions then ask for one layout between them, made when needed.
    ui->cellLineChart->setChart(cellChart);
    cellChart->setTitle(tr("Cell Volt-Temp"));
    cellChart->setTitleFont(ChartFonts::arial(12));
    cellChart->legend()->setFont(ChartFonts::arial(7));
    cellChart->setContentsMargins(0, 0, 0, 0);
    cellChart->setMargins(QMargins(0, 0, 0, 0));
    ui->cellTableView->setContentsMargins(0, 0, 0, 0);

    auto makeAxis = [](const QString& title, qreal min, qreal max, const QString& format) {
        auto* axis = new QValueAxis;
        axis->setTitleText(title);
        axis->setTitleFont(ChartFonts::arial(11));
        axis->setLabelsFont(ChartFonts::arial(9));
        axis->setRange(min, max);
        axis->setLabelFormat(format);
        return axis;
    };
    cellAxisX = makeAxis(tr("Cell ID"), 1, 5, QStringLiteral("%d"));
    cellAxisX->setTickCount(5);
    voltAxis = makeAxis(tr("Volt(V)"), 0, 5, QStringLiteral("%.1f "));
    tempAxis = makeAxis(tr("Temp(℃)"), 0, 1, QStringLiteral("%.1f"));
    cellChart->addAxis(cellAxisX, Qt::AlignBottom);
    cellChart->addAxis(voltAxis, Qt::AlignLeft);
    cellChart->addAxis(tempAxis, Qt::AlignRight);
    ui->cellLineChart->setRenderHint(QPainter::Antialiasing, true);
}

void BatteryInfo::TableInit()
{
    cellModel = new QStandardItemModel(0, TableColumns, this);
    QStringList header;
    for (int i = 0; i < CellsPerRow; ++i)
        header << tr("Cell Id") << tr("Volt(V)") << tr("Temp(℃)");
    cellModel->setHorizontalHeaderLabels(header);
    ui->cellTableView->setModel(cellModel);
    ui->cellTableView->horizontalHeader()->setVisible(true);
    ui->cellTableView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Row numbers mean nothing here: a row holds four cells.
    ui->cellTableView->verticalHeader()->setVisible(false);
}

void BatteryInfo::TableViewSytleInit(QTableView* view)
{
    TableStyle::apply(view, TableStyle::Detail);
}

void BatteryInfo::SetCurrBatNum(int n)
{
    ui->BattIdLab->setText(NoValue::isNone(n) ? QString() : QString::number(n));
}

void BatteryInfo::SetInfoMess()
{
    // Only a pack that answered (address known) without a barcode can be given one.
    ui->AddBarBtn->setVisible(Barcode.isEmpty() && !DeviceAdd.isEmpty());

    ui->AddLab->setText(tr("Device Address: ") + orMark(DeviceAdd));
    ui->BootLab->setText(tr("Boot Version: ") + orMark(BootVersion));
    ui->BarcodeLab->setText(tr("Barcode: ") + orMark(Barcode));
    ui->SpeciLab->setText(tr("Specification: ") + orMark(Specification));
    ui->SoftVerLab->setText(tr("Main Soft Version: ") + orMark(MainVersion));
    ui->CommVerLab->setText(tr("Comm Version: ") + orMark(ComVersion));
    ui->MaxChargeLab->setText(tr("Max Charge Current: ") + orMark(MaxChargeCurr));
    ui->ReleaLab->setText(tr("Release Date: ") + orMark(RelaseDate));
    ui->CellNumLab->setText(tr("Cell Number: ") + NoValue::text(CellNumber));
}

void BatteryInfo::SetBasicMess()
{
    ui->SOCLab->setText(tr("SOC: ") + NoValue::text(SOC) + QStringLiteral(" %"));
    ui->SOHLab->setText(tr("SOH: ") + NoValue::text(SOH) + QStringLiteral(" %"));
    ui->CapaLab->setText(tr("Capacity: ") + NoValue::text(AllCoulomb) + QStringLiteral(" AH"));
    ui->CurrLab->setText(tr("Current: ") + NoValue::text(Current) + QStringLiteral(" A"));
    ui->TempLab->setText(tr("Temp: ") + NoValue::text(EnviornmentTemp) + QStringLiteral(" ℃"));
    ui->MaxVolLab->setText(tr("Max Voltage: ") + NoValue::text(MaxVol) + QStringLiteral(" V"));
    ui->MinVolLab->setText(tr("Min Voltage: ") + NoValue::text(MinVol) + QStringLiteral(" V"));
    const QString diff = NoValue::isNone(MaxVol) || NoValue::isNone(MinVol) ? NoValue::mark()
                                                                           : NoValue::text(MaxVol - MinVol);
    ui->VolDiffLab->setText(tr("Vol Difference: ") + diff + QStringLiteral(" V"));
    ui->MaxVoltdLab->setText(tr("Max Vol ID: ") + idText(MaxVolid));
    ui->MinVoltIdLab->setText(tr("Min Vol ID: ") + idText(MinVolid));
    ui->BasStaLab->setText(tr("Basic Status: ") + orMark(BasicStatus));
    ui->SysDefaultLab->setText(tr("System Fault: ") + orMark(SysDefault));
}

void BatteryInfo::CreatCellCharts()
{
    voltPoints.clear();
    tempPoints.clear();
    for (const BatteryCell& cell : qAsConst(Batterys)) {
        const qreal x = cell.GetBatteryId() + 1;
        voltPoints.append(qMakePair(QPointF(x, cell.GetVolt()), tr("Volt")));
        tempPoints.append(qMakePair(QPointF(x, cell.GetTempr()), tr("Temp")));
    }

    // An unknown (or impossible) cell count leaves the chart as it is. Known count but
    // no cells: nothing can be drawn, and the previous pack's lines would be false.
    if (!NoValue::isNone(CellNumber) && CellNumber > 0) {
        if (tempPoints.isEmpty())
            cellChart->removeAllSeries();
        else
            DrawCellLines();
    }
    FillCellTable();
}

void BatteryInfo::DrawCellLines()
{
    // The highest temperature starts at 0, so the axis always reaches up to at least 2
    // degrees; a non-finite reading is left out of the bounds and the lines rather than
    // stretching the axis to nothing.
    qreal minTemp = 0;
    for (const auto& p : qAsConst(tempPoints)) {
        if (std::isfinite(p.first.y())) {
            minTemp = p.first.y();
            break;
        }
    }
    qreal maxTemp = 0;
    qDebug() << "MinTemp" << minTemp;
    for (const auto& p : qAsConst(tempPoints)) {
        if (std::isfinite(p.first.y())) {
            minTemp = qMin(minTemp, p.first.y());
            maxTemp = qMax(maxTemp, p.first.y());
        }
    }

    cellChart->removeAllSeries();
    qDebug() << "Cellnumber:" << CellNumber;
    SetCellTicks();
    qDebug() << "VoltDataList:" << voltPoints.size();
    voltAxis->setRange(2.4, 4.0);
    voltAxis->setTickCount(9);
    AddCellLine(voltPoints, voltAxis);
    tempAxis->setRange(std::trunc(minTemp - 2.0), std::trunc(maxTemp + 2.0));
    tempAxis->setTickCount(9);
    AddCellLine(tempPoints, tempAxis);
}

void BatteryInfo::SetCellTicks()
{
    if (CellNumber == 1) {
        // A range of one value has no width to draw in.
        cellAxisX->setRange(0, 2);
        cellAxisX->setTickType(QValueAxis::TicksFixed);
        cellAxisX->setTickCount(3);
    } else if (CellNumber <= MaxCellTicks) {
        cellAxisX->setRange(1, CellNumber);
        cellAxisX->setTickType(QValueAxis::TicksFixed);
        cellAxisX->setTickCount(CellNumber);
    } else {
        cellAxisX->setRange(1, CellNumber);
        cellAxisX->setTickType(QValueAxis::TicksDynamic);
        cellAxisX->setTickAnchor(1);
        cellAxisX->setTickInterval(std::ceil((CellNumber - 1) / double(MaxCellTicks - 1)));
    }
}

void BatteryInfo::AddCellLine(const QList<QPair<QPointF, QString>>& points, QValueAxis* axisY)
{
    auto* series = new QLineSeries;
    cellChart->addSeries(series);
    for (const auto& p : points) {
        if (std::isfinite(p.first.y()))
            series->append(p.first);
    }
    series->setName(points.first().second);
    series->attachAxis(cellAxisX);
    series->attachAxis(axisY);
    series->setPointsVisible(true);
}

void BatteryInfo::FillCellTable()
{
    cellModel->removeRows(0, cellModel->rowCount());
    int row = 0;
    int column = 0;
    for (const BatteryCell& cell : qAsConst(Batterys)) {
        cellModel->setItem(row, column, centredItem(QString::number(cell.GetBatteryId() + 1)));
        cellModel->setItem(row, column + 1, centredItem(QString::number(cell.GetVolt(), 'g', 6)));
        cellModel->setItem(row, column + 2, centredItem(QString::number(cell.GetTempr(), 'g', 6)));
        column += 3;
        if (column == TableColumns) {
            column = 0;
            ++row;
        }
    }
    ui->cellTableView->setModel(cellModel);
}

void BatteryInfo::SetCellInit()
{
    cellChart->removeAllSeries();
    cellModel->removeRows(0, cellModel->rowCount());
}

void BatteryInfo::SetBatteryInfoInit()
{
    CellNumber = 0;

    ui->BattIdLab->setText(QStringLiteral(" "));
    ui->SOCLab->setText(tr("SOC: "));
    ui->SOHLab->setText(tr("SOH: "));
    ui->CapaLab->setText(tr("Capacity: "));
    ui->CurrLab->setText(tr("Current: "));
    ui->TempLab->setText(tr("Temp: "));
    ui->MaxVolLab->setText(tr("Max Voltage: "));
    ui->MinVolLab->setText(tr("Min Voltage: "));
    ui->VolDiffLab->setText(tr("Vol Difference: "));
    ui->MaxVoltdLab->setText(tr("Max Vol ID: "));
    ui->MinVoltIdLab->setText(tr("Min Vol ID: "));
    ui->BasStaLab->setText(tr("Basic Status: "));
    ui->SysDefaultLab->setText(tr("System Fault: "));

    SetCellInit();

    // Nothing to write a barcode to behind a closed port.
    ui->AddBarBtn->hide();
    ui->AddLab->setText(tr("Device Address: "));
    ui->BootLab->setText(tr("Boot Version: "));
    ui->BarcodeLab->setText(tr("Barcode: "));
    ui->SpeciLab->setText(tr("Specification: "));
    ui->SoftVerLab->setText(tr("Main Soft Version: "));
    ui->CommVerLab->setText(tr("Comm Version: "));
    ui->MaxChargeLab->setText(tr("Max Charge Current: "));
    ui->ReleaLab->setText(tr("Release Date: "));
    ui->CellNumLab->setText(tr("Cell Number: "));
}

void BatteryInfo::SetRate(double wr, double hr)
{
    TableViewSytleInit(ui->cellTableView);
    const QList<QAbstractAxis*> axes = cellChart->axes();
    if (!axes.isEmpty())
        qDebug() << "axLiLableFont:" << axes.first()->labelsFont();
    qDebug() << "WidthRate:" << wr;
    qDebug() << "HightRate:" << hr;

    ChartFonts::apply(cellChart, ScreenScale::chartFonts(wr, designFonts));
    // The table style's 8-point titles are wider than a twelfth of the table from the
    // 1024-pixel bracket down; there they are a point smaller than the cells' text.
    ScreenScale::setHeaderFont(ui->cellTableView,
                               wr <= ScreenScale::Width1176 ? ScreenScale::widgetFontSize(wr) - 1 : 0);

    // Four columns of captions and values are wider than an 800-pixel screen leaves
    // this view; there they may break after the caption rather than be cut off.
    for (QLabel* label : {ui->SOCLab, ui->SOHLab, ui->CapaLab, ui->CurrLab, ui->TempLab, ui->MaxVolLab, ui->MinVolLab,
                          ui->VolDiffLab, ui->MaxVoltdLab, ui->MinVoltIdLab, ui->BasStaLab, ui->SysDefaultLab})
        label->setWordWrap(wr <= ScreenScale::Width800);

    const ScreenScale::RowStretch rows = ScreenScale::cellRowStretch(hr, designRows);
    ui->gridLayout_7->setRowStretch(0, rows.top);
    ui->gridLayout_7->setRowStretch(1, rows.cells);
    ui->gridLayout_7->setRowStretch(2, rows.bar);
}

void BatteryInfo::ChangeBtn_Clicked()
{
    qDebug() << "afert cellLineChart size:" << ui->cellLineChart->size() << cellChart->margins();
    showTable = !showTable;
    ui->CellStackWid->setCurrentIndex(showTable ? 1 : 0);
}

void BatteryInfo::AddBarBtn_Clicked()
{
    auto* dialog = new AddBarcode(nullptr);
    connect(dialog, &AddBarcode::AddMissBarcode, this, &BatteryInfo::MissBarcode);
    // Without a parent the dialog would outlive this view; it belongs to no pack then.
    connect(this, &QObject::destroyed, dialog, &QWidget::close);
    // Over the window the operator is looking at, not wherever the desktop puts it.
    dialog->move(window()->geometry().center() - dialog->rect().center());
    dialog->show();
}
