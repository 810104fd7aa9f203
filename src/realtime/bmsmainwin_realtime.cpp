// The real-time page's share of the main window: the sample stream of one pack, its
// log, export and clearing, and the four charts with their hover tips. Rows are read
// by RealTimeReply; each chart draws what its RealTimeTrace keeps of the run.
#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "chartfonts.h"
#include "msgbox.h"
#include "myserial.h"
#include "realtimereply.h"
#include "textsaver.h"

#include <QCursor>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QGraphicsLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <climits>

using namespace QtCharts;

namespace {

const QString kCompleted = QStringLiteral("Command completed successfully");
const QString kDownPath = QStringLiteral("path/downpath");
const QString kTipStyle = QStringLiteral("color: rgb(74, 120, 222);");
const QString kTipShownStyle = QStringLiteral("color: rgb(74, 120, 222); border:2px solid gray;");
const QRect kTipGeometry(1290, 0, 120, 30);
// Chart title, legend and axis titles as drawn for a wide screen; the axis labels keep
// the chart theme's font there. The hover tip's text is as large as a chart title.
constexpr int kTitlePt = 12;
constexpr int kLegendPt = 7;
constexpr int kAxisTitlePt = 11;
// The hidden log view keeps this many lines; the whole stream is in rtLog.
constexpr int kLogViewLines = 1000;

// Each chart reaches its time axis as its last horizontal one.
QValueAxis* timeAxis(QChart* chart)
{
    const auto axes = chart->axes(Qt::Horizontal);
    return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.last());
}

QString minutesText(const QPointF& point)
{
    return QString::number(point.x() > 0 ? point.x() : 0.0, 'f', 2);
}

// The first listed value within tolerance of y, or NaN.
double listedNear(const QList<double>& list, double y, double tolerance)
{
    for (double v : list) {
        if (qAbs(v - y) <= tolerance)
            return v;
    }
    return qQNaN();
}

// The value nearest y if the run had it, or NaN (SOC and temperature are whole numbers).
double listedWhole(const QList<int>& list, double y)
{
    const int value = qRound(y);
    return list.contains(value) ? value : qQNaN();
}

QFont themeLabelFont()
{
    static const QFont font = [] {
        QChart chart;
        auto* axis = new QValueAxis;
        chart.addAxis(axis, Qt::AlignBottom);
        return axis->labelsFont();
    }();
    return font;
}

double tolerance(double min, double max)
{
    const double spread = max - min;
    return spread <= 10.0 ? 0.1 : spread / 100;
}

} // namespace

void BMSMainWin::RealTimePageInit()
{
    ui->RTDataTextBrow->document()->setMaximumBlockCount(kLogViewLines);
    RealTimeChartInit();
}

namespace {
// One of the four charts: minutes along the bottom, the value on the left, one line.
QChart* buildChart(QChartView* view, const QString& title, const QString& axisTitle, const char* format, int axisMax,
                   const QString& name, QValueAxis*& axisY, QLineSeries*& series)
{
    auto* axisX = new QValueAxis;
    axisY = new QValueAxis;
    series = new QLineSeries;
    auto* chart = new QChart;
    // In its view before anything is added: the view lays out what its chart holds at
    // once, and the additions then ask for one layout between them, made when needed.
    view->setChart(chart);
    chart->setTitle(title);
    chart->setTitleFont(ChartFonts::arial(kTitlePt));
    chart->legend()->setFont(ChartFonts::arial(kLegendPt));
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    axisX->setRange(0, 1);
    axisX->setTitleText(BMSMainWin::tr("Time(min)"));
    axisX->setLabelFormat(QStringLiteral("%.2f"));
    axisX->setTitleFont(ChartFonts::arial(kAxisTitlePt));
    axisY->setRange(0, axisMax);
    axisY->setTitleText(axisTitle);
    axisY->setLabelFormat(QLatin1String(format));
    axisY->setTitleFont(ChartFonts::arial(kAxisTitlePt));
    series->setName(name);
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    chart->addSeries(series);
    series->attachAxis(axisX);
    series->attachAxis(axisY);
    chart->setAnimationOptions(QChart::SeriesAnimations);
    view->setRenderHint(QPainter::Antialiasing);
    return chart;
}
} // namespace

void BMSMainWin::RealTimeChartInit()
{
    socMax = socMin = 0;
    voltMin = voltMax = currMin = currMax = tempMin = tempMax = 0.0;
    RealTimeTipsClear();

    socChart = buildChart(ui->SocCharView, tr("SOC"), tr("SOC(%)"), "%d", 110, tr("SOC"), socAxisY, socSeries);
    voltChart = buildChart(ui->VoltCharView, tr("Volt of battery"), tr("Volt(V)"), "%.1f", 1, tr("Volt"), voltAxisY,
                           voltSeries);
    currChart = buildChart(ui->CurrCharView, tr("Current of battery"), tr("Current(A)"), "%.1f", 1, tr("Current"),
                           currAxisY, currSeries);
    tempChart = buildChart(ui->TempCharView, tr("Temperature of battery"), tr("Temp(℃)"), "%d", 1, tr("Temp"),
                           tempAxisY, tempSeries);

    tipLab = new QLabel(this);
    tipLab->setObjectName(QStringLiteral("tipLab"));
    tipLab->setStyleSheet(kTipStyle);
    tipLab->setFont(ChartFonts::arial(kTitlePt));
    tipLab->setWordWrap(true);
    tipLab->setGeometry(kTipGeometry);
    tipLab->adjustSize();
    tipLab->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    // An empty framed box must not sit over the window before anything is hovered.
    tipLab->hide();

    RateOfChartInit();
    connect(socSeries, &QLineSeries::hovered, this, &BMSMainWin::SocPointHoverd);
    connect(voltSeries, &QLineSeries::hovered, this, &BMSMainWin::VoltPointHoverd);
    connect(currSeries, &QLineSeries::hovered, this, &BMSMainWin::CurrPointHoverd);
    connect(tempSeries, &QLineSeries::hovered, this, &BMSMainWin::TempPointHoverd);
}

void BMSMainWin::RateOfChartInit()
{
    // Also run on every change of the screen, which may come before the charts exist.
    if (!socChart)
        return;
    // Above the narrow-screen brackets the fonts of construction, also after a move
    // from a narrow screen to a wide one.
    const QFont themeLabels = themeLabelFont();
    const ScreenScale::ChartFonts sizes =
        ScreenScale::chartFonts(widthRate, {kTitlePt, kLegendPt, kAxisTitlePt, themeLabels.pointSize()});
    tipLab->setFont(ChartFonts::arial(sizes.title));
    for (QChart* chart : {socChart, voltChart, currChart, tempChart}) {
        ChartFonts::apply(chart, sizes);
        if (widthRate > ScreenScale::Width1440) {
            for (QAbstractAxis* axis : chart->axes())
                axis->setLabelsFont(themeLabels);
        }
    }
}

// ---------------------------------------------------------------------------------
// The stream

void BMSMainWin::RTDataOnBtn_clicked()
{
    if (selfTesting)
        return;
    // Without a port nothing starts, and the curves of the last run stay to be seen.
    if (serial->isOpen())
        RealTimeClearSeries();
    SendCommand(QStringLiteral("disp pwrs ") + QString::number(currBatNum));
}

void BMSMainWin::RTDataOffBtn_clicked()
{
    if (selfTesting)
        return;
    if (rtDisplaying)
        SendCommand(QStringLiteral("disp 0"));
    else
        MsgBox::show(this, QMessageBox::Information, tr("Message"), tr("Please click \"RTData ON\" first!"));
}

void BMSMainWin::DISPPWRSProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    qDebug() << "datadata:" << reply;
    // Text still on its way when the port closed is logged and drawn, but it does
    // not lock the page again: there is no device left to stop.
    if (portOpen)
        rtDisplaying = true;
    QString text = reply;
    text.remove(QLatin1Char('\r'));
    RealTimeLogAppend(text);

    const RealTimeReply parsed = RealTimeReply::parse(reply);
    double shownMinutes = 0;
    for (const RealTimeItem& item : parsed.items) {
        const QDateTime when = RealTimeReply::sampleTime(item.GetTime());
        if (item.GetID() == 1) {
            rtStartTime = when;
            qDebug() << "RealStartTime:" << rtStartTime;
            RealTimeRestart(item);
        }
        const qint64 ms = rtStartTime.isValid() && when.isValid() ? rtStartTime.msecsTo(when) : 0;
        const double minutes = ms / 60000.0;
        qDebug() << "NowTime:" << when << "tt:" << ms << "TimeInterval:" << minutes;
        RealTimePlot(minutes, item);
        BatterySocChange(currBatNum, item.GetSOCPer());
        shownMinutes = minutes;
    }
    if (!parsed.items.isEmpty())
        RealTimeShow(shownMinutes);
    if (parsed.completed) {
        qDebug() << "orgdata succeess";
        MsgBox::show(this, QMessageBox::Information, tr("Message"), tr("RTdata on succcess!"));
    }
}

void BMSMainWin::DispStopProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    if (!reply.contains(kCompleted)) {
        MsgBox::show(this, QMessageBox::Information, tr("Message"), tr("RTdata off fail! please click again!"));
        return;
    }
    // "finish" as a paragraph of its own, as appending "\r\nfinish" to the view gives.
    RealTimeLogAppend(rtLog.isEmpty() ? QStringLiteral("\nfinish") : QStringLiteral("\n\nfinish"));
    rtDisplaying = false;
    MsgBox::show(this, QMessageBox::Information, tr("Message"), tr("RTdata off succcess!"));
}

void BMSMainWin::RealTimeLogAppend(const QString& text)
{
    rtLog += text.toUtf8();
    QTextCursor cursor(ui->RTDataTextBrow->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

void BMSMainWin::RTDataDownBtn_clicked()
{
    if (rtDisplaying) {
        MsgBox::show(this, QMessageBox::Information, tr("Message"),
                     tr("Can't download, Please click \"RTData OFF\"!"));
        return;
    }
    const QString file = TextSaver::saveAs(this, tr("choose a file"), dialogStartDir(kDownPath),
                                           tr("(*.txt);;All Files(*.*)"), rtLog);
    if (file.isEmpty())
        return;
    rememberDialogDir(kDownPath, file);
    qDebug() << "downpath " << dialogStartDir(kDownPath);
}

void BMSMainWin::ClearRTDataBtn_clicked()
{
    if (rtDisplaying) {
        MsgBox::show(this, QMessageBox::Information, tr("Message"),
                     tr("Can't clean all, Please click \"RTData OFF\"!"));
        return;
    }
    RealTimeRecordClear();
    RealTimeClear();
}

QString BMSMainWin::RealTimePortClosed()
{
    if (tipLab)
        tipLab->hide();
    if (!rtDisplaying)
        return QString();
    rtDisplaying = false;
    return tr("The real-time recording was stopped.");
}

void BMSMainWin::RealTimeRecordClear()
{
    ui->RTDataTextBrow->clear();
    rtLog.clear();
    RealTimeClearSeries();
}

// ---------------------------------------------------------------------------------
// The charts

void BMSMainWin::RealTimeRestart(const RealTimeItem& item)
{
    // A new run starts from its first sample; the maxima carry over.
    socMin = item.GetSOCPer();
    voltMin = item.GetVolt();
    currMin = item.GetCurrent();
    tempMin = item.GetTemp();
    RealTimeTipsClear();
}

void BMSMainWin::RealTimePlot(double minutes, const RealTimeItem& item)
{
    const int s = item.GetSOCPer();
    const double v = item.GetVolt();
    const double i = item.GetCurrent();
    const double t = item.GetTemp();
    socMax = qMax(socMax, s);
    socMin = qMin(socMin, s);
    voltMax = qMax(voltMax, v);
    voltMin = qMin(voltMin, v);
    currMax = qMax(currMax, i);
    currMin = qMin(currMin, i);
    tempMax = qMax(tempMax, t);
    tempMin = qMin(tempMin, t);
    if (socMin < 10)
        socMin = 10;
    if (socMax > 100)
        socMax = 100;

    const double values[] = {double(s), v, i, t};
    for (int k = 0; k < 4; ++k)
        rtDrawFrom[k] = qMin(rtDrawFrom[k], rtTraces[k].append(QPointF(minutes, values[k])));
    qDebug() << "SocValue:" << QPointF(minutes, s) << "VoltValue:" << QPointF(minutes, v)
             << "CurrValue:" << QPointF(minutes, i) << "TempValue:" << QPointF(minutes, t);

    if (s != lastSoc && !socList.contains(s)) {
        socList << s;
        lastSoc = s;
    }
    if (!voltList.contains(v))
        voltList << v;
    if (!currList.contains(i))
        currList << i;
    const int whole = static_cast<int>(t);
    if (t != lastTemp && !tempList.contains(whole)) {
        tempList << whole;
        lastTemp = whole;
    }
}

// The charts take the samples of a reply at once: one redraw per chart, however many
// rows the reply carried.
void BMSMainWin::RealTimeShow(double minutes)
{
    struct Curve {
        QChart* chart;
        QValueAxis* axisY;
        QLineSeries* series;
        double low, high;
    };
    const Curve curves[] = {
        {socChart, socAxisY, socSeries, double(socMin - 10), double(socMax + 10)},
        {voltChart, voltAxisY, voltSeries, voltMin - 2.0, voltMax + 2.0},
        {currChart, currAxisY, currSeries, currMin - 2.0, currMax + 2.0},
        {tempChart, tempAxisY, tempSeries, tempMin - 10.0, tempMax + 10.0},
    };
    for (int k = 0; k < 4; ++k) {
        const Curve& c = curves[k];
        const QVector<QPointF>& points = rtTraces[k].points();
        const int from = rtDrawFrom[k];
        rtDrawFrom[k] = INT_MAX;
        const bool changed = from < points.size();
        // While every sample is drawn, the series takes the new points itself
        // (animated); once the curve is thinned it is redrawn whole, without
        // animation, and handed over quietly: the axes move with nearly every sample,
        // and that one redraw of the chart takes the new points along.
        const bool appendOnly = changed && rtTraces[k].samplesPerBucket() == 1 && from == c.series->count();
        if (changed && !appendOnly) {
            c.chart->setAnimationOptions(QChart::NoAnimation);
            const QSignalBlocker quiet(c.series);
            c.series->replace(points);
        }
        QValueAxis* time = timeAxis(c.chart);
        const double was[] = {time->min(), time->max(), c.axisY->min(), c.axisY->max()};
        time->setRange(0, minutes);
        c.axisY->setRange(c.low, c.high);
        const bool moved = was[0] != time->min() || was[1] != time->max() || was[2] != c.axisY->min()
                           || was[3] != c.axisY->max();
        if (appendOnly) {
            for (int p = from; p < points.size(); ++p)
                c.series->append(points.at(p));
        } else if (changed && !moved) {
            emit c.series->pointsReplaced();
        }
    }
}

void BMSMainWin::RealTimeClearSeries()
{
    for (RealTimeTrace& trace : rtTraces)
        trace.clear();
    for (QLineSeries* series : {socSeries, voltSeries, currSeries, tempSeries})
        series->clear();
    for (QChart* chart : {socChart, voltChart, currChart, tempChart})
        chart->setAnimationOptions(QChart::SeriesAnimations);
}

// What a hover tip may show: the distinct values of the run so far.
void BMSMainWin::RealTimeTipsClear()
{
    lastSoc = lastTemp = 0;
    socList.clear();
    voltList.clear();
    currList.clear();
    tempList.clear();
}

void BMSMainWin::RealTimeClear()
{
    // The extremes and the axes stay as the run left them.
    RealTimeClearSeries();
    RealTimeTipsClear();
}

// ---------------------------------------------------------------------------------
// Hover tips

void BMSMainWin::ShowRealTimeTip(const QPointF& point, bool state, double value, const QString& text,
                                 int decimals, bool leftOfCursor)
{
    if (!state) {
        tipLab->hide();
        return;
    }
    if (qIsNaN(value))
        return; // not a value of the run: the tip stays as it was
    tipLab->setText(text.arg(minutesText(point), QString::number(value, 'f', decimals)));
    tipLab->setWordWrap(true);
    // The framed look first: sized before it, the frame would cover the last line.
    tipLab->setStyleSheet(kTipShownStyle);
    tipLab->setGeometry(kTipGeometry);
    tipLab->adjustSize();
    const QPoint cursor = mapFromGlobal(QCursor::pos());
    const double shift = leftOfCursor ? tipLab->width() : tipLab->width() / 4.0;
    tipLab->move(static_cast<int>(cursor.x() - shift), static_cast<int>(cursor.y() - 1.5 * tipLab->height()));
    tipLab->raise();
    tipLab->show();
}

void BMSMainWin::SocPointHoverd(const QPointF& point, bool state)
{
    qDebug() << "socpoint:" << point << "ylist size" << socList.size();
    ShowRealTimeTip(point, state, listedWhole(socList, point.y()), tr("Time: %1min\nSOC: %2%"), 0, false);
}

void BMSMainWin::VoltPointHoverd(const QPointF& point, bool state)
{
    const double diffy = tolerance(voltMin, voltMax);
    qDebug() << "volt ylist.count:" << voltList.size() << "volt diffy:" << diffy;
    ShowRealTimeTip(point, state, listedNear(voltList, point.y(), diffy), tr("Time: %1min\nVolt: %2V"), 1, true);
}

void BMSMainWin::CurrPointHoverd(const QPointF& point, bool state)
{
    const double diffy = tolerance(currMin, currMax);
    qDebug() << "curr ylist.count:" << currList.size() << "curr diffy:" << diffy;
    ShowRealTimeTip(point, state, listedNear(currList, point.y(), diffy), tr("Time: %1min\nCurr: %2A"), 1, false);
}

void BMSMainWin::TempPointHoverd(const QPointF& point, bool state)
{
    qDebug() << "Temppoint:" << point << "tempylist size" << tempList.size();
    ShowRealTimeTip(point, state, listedWhole(tempList, point.y()), tr("Time: %1min\nTemp: %2℃"), 0, true);
}
