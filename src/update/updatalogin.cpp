#include "updatalogin.h"
#include "ui_updatelogin.h"

#include "msgbox.h"

#include <QDebug>
#include <QKeyEvent>

const char* const UpdataLogin::AccessCode = "864209";

UpdataLogin::UpdataLogin(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , ui(new Ui::UpdateLogin)
{
    ui->setupUi(this);
    setWindowTitle(tr("Notice"));
    setAttribute(Qt::WA_DeleteOnClose);
    ui->PsdEdit->setFocus();
    ui->PsdEdit->installEventFilter(this);
    // The code is printed in the field on purpose: the dialog is a warning about
    // what a wrong image does, not a lock.
    ui->PsdEdit->setPlaceholderText(QLatin1String(AccessCode));
    ConnectInit();
}

UpdataLogin::~UpdataLogin()
{
    delete ui;
}

void UpdataLogin::ConnectInit()
{
    connect(ui->Confirm, &QPushButton::clicked, this, &UpdataLogin::Confirm_Clicked, Qt::UniqueConnection);
}

void UpdataLogin::Confirm_Clicked()
{
    const QString code = ui->PsdEdit->text();
    if (code.isEmpty()) {
        MsgBox::show(this, QMessageBox::Information, tr("Notice"), tr("The Password is empty!"), QMessageBox::Ok);
        return;
    }
    if (code != QLatin1String(AccessCode))
        return;
    qDebug() << "update login success";
    close();
    emit LoginSuccess(true);
}

bool UpdataLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->PsdEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Confirm_Clicked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
