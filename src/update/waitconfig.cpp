#include "waitconfig.h"
#include "ui_waitconfig.h"

WaitConfig::WaitConfig(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , ui(new Ui::WaitConfig)
{
    ui->setupUi(this);
}

WaitConfig::~WaitConfig()
{
    delete ui;
}

void WaitConfig::SetTransLabText(const QString& text)
{
    ui->TransLab->setText(text);
}

QString WaitConfig::transLabText() const
{
    return ui->TransLab->text();
}
