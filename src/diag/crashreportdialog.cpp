#include "crashreportdialog.h"

#include "ui_crashreportdialog.h"

#include "breakpadhandler.h"
#include "msgbox.h"
#include "showdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

CrashReportDialog::CrashReportDialog(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::CrashReportDialog)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

CrashReportDialog::~CrashReportDialog()
{
    delete ui;
}

void CrashReportDialog::on_pushButtonOk_clicked()
{
    accept();
}

void CrashReportDialog::OfferLastRunDumps()
{
    BreakpadHandler* handler = BreakpadHandler::GetInstance();
    if (!handler->IsHadCrashedDumpFiles())
        return;

    const QString reportDir =
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) + QStringLiteral("/CellvueReportBug");
    QDir().mkpath(reportDir);

    // A dump is safe to delete once the report folder holds it: copied now, or already
    // there from an earlier attempt (dump names are unique ids).
    const QStringList dumps = handler->GetDumpFileList();
    QStringList delivered;
    if (QFileInfo(reportDir).isDir()) {
        for (const QString& name : dumps) {
            const QString source = handler->GetBreakPadDumpPath() + QLatin1Char('/') + name;
            const QString target = reportDir + QLatin1Char('/') + name;
            if (!QFile::exists(source))
                continue;
            if (QFile::exists(target) || QFile::copy(source, target))
                delivered << name;
        }
    }

    CrashReportDialog dialog(nullptr);
    dialog.setModal(true);
    MsgBox::exec(&dialog);

    ShowDir(reportDir);

    if (delivered.size() == dumps.size()) {
        handler->DeleteAllOfTheDumpFiles();
    } else {
        // The dump directory holds the only copy of what could not be copied: keep it,
        // so the next start offers it again instead of losing the crash.
        for (const QString& name : delivered)
            QFile::remove(handler->GetBreakPadDumpPath() + QLatin1Char('/') + name);
    }
}
