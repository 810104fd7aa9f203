// Recording: every completed polling cycle of the overview appended to a CSV file the
// operator chose, for a spreadsheet or a script to follow the battery over hours. The
// recording belongs to the window, not to the port: it goes on across an unplugged
// adapter and a new Login, and ends when the operator stops it or quits.
#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "batterygroup.h"
#include "batteryinfo.h"
#include "msgbox.h"
#include "recordfile.h"
#include "recordrowbuilder.h"

#include <QAction>
#include <QColor>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPalette>
#include <QStatusBar>
#include <QTimer>

namespace {

const QString kDirKey = QStringLiteral("path/downpath");

// What the overview shows now; the views hold the values exactly as parsed.
RecordRowBuilder::Cycle snapshot(const BMSMainWin& w)
{
    const BatteryGroup* group = w.ui->BattGroupWid;
    const BatteryInfo* detail = w.ui->BattInfoWid;
    RecordRowBuilder::Cycle c;
    c.time = QDateTime::currentDateTime();
    c.state = group->GetGroupState();
    c.presentNum = group->GetPresentNum();
    c.voltage = group->GetTotalVoltage();
    c.current = group->GetTotalCurrent();
    c.soc = group->GetTotalSOC();
    c.soh = group->GetTotalSOH();
    c.cfet = group->GetCMOSState();
    c.dfet = group->GetDMOSState();
    c.packs = group->GetPackList();
    c.balance = group->GetBalanceList();
    c.detailPack = w.currBatNum;
    c.detailSoh = detail->GetSOH();
    c.detailFault = detail->GetSysDefault();
    c.cells = detail->GetBatterys();
    return c;
}

QAction* recordAction(const BMSMainWin& w)
{
    return w.findChild<QAction*>(QStringLiteral("actionRecord"));
}

// The file, the rows so far, and whether cycles are coming at all: they only run while
// the overview page polls an open port. Kept short, as it widens the status bar.
void showRecording(BMSMainWin& w)
{
    if (!w.recordFile)
        return;
    const QString name = w.recordLab->fontMetrics().elidedText(QFileInfo(w.recordFile->path()).fileName(),
                                                               Qt::ElideMiddle, 360);
    QString text = BMSMainWin::tr("Recording to %1: %2 rows").arg(name).arg(w.recordFile->rowsWritten());
    if (!w.portOpen || !w.basicPolling)
        text += BMSMainWin::tr(", paused");
    w.recordLab->setText(text);
    w.recordLab->setToolTip(QDir::toNativeSeparators(w.recordFile->path()) + QLatin1Char('\n')
                            + BMSMainWin::tr("Each polling cycle of the overview page adds its rows; the "
                                             "recording pauses while another page is shown or no port is open."));
    w.recordLab->show();
}

} // namespace

void BMSMainWin::RecordInit()
{
    recordLab = new QLabel(this);
    // Red, as a recording lamp is, and set apart from the clock beside it.
    QPalette red = recordLab->palette();
    red.setColor(QPalette::WindowText, QColor(200, 40, 40));
    recordLab->setPalette(red);
    recordLab->setContentsMargins(24, 0, 0, 0);
    recordLab->hide();
    statusBar()->addPermanentWidget(recordLab);
    connect(clockTimer, &QTimer::timeout, this, [this] { showRecording(*this); });
}

void BMSMainWin::actionRecord_triggered(bool checked)
{
    if (!checked) {
        StopRecording();
        return;
    }
    const QString suggested = QDir(dialogStartDir(kDirKey))
                                  .filePath(QDateTime::currentDateTime().toString(
                                      QStringLiteral("'cellvue-'yyyyMMdd-HHmmss'.csv'")));
    QString path = MsgBox::saveFile(this, tr("Record to CSV"), suggested, tr("CSV files (*.csv)"),
                                   QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) {
        recordAction(*this)->setChecked(false);
        return;
    }
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    rememberDialogDir(kDirKey, path);
    StartRecording(path);
}

bool BMSMainWin::StartRecording(const QString& path)
{
    StopRecording();
    auto* file = new RecordFile(path, this);
    if (!file->open()) {
        const QString reason = file->errorString();
        delete file;
        MsgBox::show(this, QMessageBox::Critical, tr("Error"),
                     tr("Cannot record to %1:\n%2").arg(QDir::toNativeSeparators(path), reason));
        return false;
    }
    recordFile = file;
    recordAction(*this)->setChecked(true);
    showRecording(*this);
    qInfo() << "recording to" << path;
    return true;
}

void BMSMainWin::StopRecording()
{
    if (recordFile)
        qInfo() << "recording stopped:" << recordFile->rowsWritten() << "rows in" << recordFile->path();
    delete recordFile;
    recordFile = nullptr;
    recordAction(*this)->setChecked(false);
    recordLab->hide();
}

void BMSMainWin::PollCycleCompleted()
{
    // A pack the operator picks is read by the same info/bat/pwr chain, outside the
    // cycle; its rows would only repeat the system and pack values already written.
    if (!recordFile || !basicPolling || GroupBtnFlag)
        return;
    if (!recordFile->append(RecordRowBuilder::rows(snapshot(*this)))) {
        const QString path = QDir::toNativeSeparators(recordFile->path());
        const QString reason = recordFile->errorString();
        // Stopped before the box: cycles that end while it is open find no recording.
        StopRecording();
        MsgBox::show(this, QMessageBox::Critical, tr("Error"),
                     tr("Recording stopped, %1 cannot be written:\n%2").arg(path, reason));
        return;
    }
    showRecording(*this);
    if (recordObserver)
        recordObserver();
}
