#ifndef CRASHREPORTDIALOG_H
#define CRASHREPORTDIALOG_H

#include <QDialog>

namespace Ui {
class CrashReportDialog;
}

// Tells the operator that the previous run crashed and asks them to send the dump files
// shown in the file manager.
class CrashReportDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CrashReportDialog(QWidget* parent = nullptr);
    ~CrashReportDialog() override;

    // The start-up step after the main window is shown: when the previous run left
    // dumps, copies them into "CellvueReportBug" on the desktop, shows this dialog,
    // opens that folder and clears the dump directory. Does nothing without dumps.
    static void OfferLastRunDumps();

private slots:
    void on_pushButtonOk_clicked();

private:
    Ui::CrashReportDialog* ui;
};

#endif // CRASHREPORTDIALOG_H
