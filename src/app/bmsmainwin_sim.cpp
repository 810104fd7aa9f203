// The simulated battery system, started from the Tools menu: a device on a fresh
// pseudo-terminal that the operator can log in to like any adapter, to try the
// program, train someone or reproduce a fault without a battery at hand.
#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "bmssimulator.h"
#include "msgbox.h"

#include <QAction>
#include <QDebug>

void BMSMainWin::actionSimulator_triggered()
{
    auto* action = findChild<QAction*>(QStringLiteral("actionSimulator"));
    if (simulator) {
        // Stopping removes the port; the port scan then reports the link as lost,
        // exactly as for an unplugged adapter.
        simulator->stop();
        delete simulator;
        simulator = nullptr;
        if (action)
            action->setChecked(false);
        return;
    }

    SimOptions options;
    options.seed = static_cast<quint32>(QDateTime::currentMSecsSinceEpoch());
    auto* sim = new BmsSimulator(options);
    if (!sim->start()) {
        delete sim;
        if (action)
            action->setChecked(false);
        MsgBox::show(this, QMessageBox::Warning, tr("Message"), tr("The simulated BMS could not be started."));
        return;
    }
    simulator = sim;
    if (action)
        action->setChecked(true);
    qDebug() << "simulated BMS on" << simulator->portPath();
    ReflashSerialComx();
    ui->PortComBox->setCurrentText(simulator->portPath());
}
