#include "dataevent.h"
#include "ui_dataevent.h"

DataEvent::DataEvent(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::DataEvent)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui->EventTextBro->setOpenLinks(false);
}

DataEvent::~DataEvent()
{
    delete ui;
}

void DataEvent::SetDataEvent(const QString& text)
{
    ui->EventTextBro->setPlainText(text);
}
