#include "transprogress.h"
#include "ui_transprogress.h"

TransProgress::TransProgress(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , ui(new Ui::TransProgress)
{
    ui->setupUi(this);
    ui->TransProBar->reset();
}

TransProgress::~TransProgress()
{
    delete ui;
}

void TransProgress::SetTransProValue(int value)
{
    ui->TransProBar->setValue(value);
}

void TransProgress::TransProReSet()
{
    ui->TransProBar->reset();
}

int TransProgress::value() const
{
    return ui->TransProBar->value();
}
