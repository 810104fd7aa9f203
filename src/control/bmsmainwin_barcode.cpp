// Writing a missing barcode to a pack with "tbar".
#include "bmsmainwin.h"

#include "msgbox.h"

#include <QDebug>
#include <QTimer>

void BMSMainWin::AddBarcode(const QString& barcode)
{
    qDebug() << "miss bar:" << barcode;
    if (selfTesting)
        return;
    pollTimer->stop();
    if (currBatNum != 1) {
        SendCommand(QStringLiteral("login debug"));
        GuiThreadSleep(500);
        // The port may have gone during the wait; its own box has said so.
        if (!portOpen)
            return;
    }
    SendCommand(QStringLiteral("tbar ") + barcode);
    ResumePolling();
}

void BMSMainWin::TbarProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    const bool passed = reply.contains(QLatin1String("Test result:pass"))
                        && reply.contains(QLatin1String("Command completed successfully"));
    if (!passed) {
        MsgBox::show(this, QMessageBox::Warning, tr("Message"), tr("Added barcode fail!"));
        return;
    }
    if (!selfTesting)
        SendHoldingPolling(QStringLiteral("info "), 50);
    MsgBox::show(this, QMessageBox::Information, tr("Message"), tr("Added barcode successfully!"));
}
