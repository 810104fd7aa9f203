// The event history page: how many events the BMS keeps, the event list read page by
// page (or, on the model that frames it, in one reply), and one event in full.
#include "bmsmainwin.h"
#include "ui_bmsmainwin.h"

#include "dataevent.h"
#include "eventcountreply.h"
#include "eventlistpage.h"
#include "msgbox.h"
#include "myserial.h"
#include "novalue.h"

#include <QDebug>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTimer>

namespace {

QList<QStandardItem*> eventCells(const HisEventItem& e, bool maskColumn)
{
    QStringList texts{e.GetItem(), e.GetDate(), e.GetTime(), e.GetVolt(), e.GetCurr(),
                      e.GetTempr(), e.GetTlow(), e.GetThight(), e.GetVlowest(), e.GetVhighest()};
    if (maskColumn)
        texts << e.GetMask();
    texts << e.GetBaseSt() << e.GetVoltSt() << e.GetCurrSt() << e.GetTempSt() << e.GetPer() << e.GetEvent();
    QList<QStandardItem*> cells;
    for (const QString& text : texts) {
        auto* cell = new QStandardItem(text);
        cell->setTextAlignment(Qt::AlignCenter);
        // Read-only: a double click opens the event, it does not edit the row.
        cell->setEditable(false);
        cells << cell;
    }
    return cells;
}

} // namespace

void BMSMainWin::setEventColumns(bool maskColumn)
{
    QStringList titles{tr("Item"), tr("Date"), tr("Time"), tr("Volt"), tr("Current"),
                       tr("Temp"), tr("Tlow"), tr("Thight"), tr("Vlowest"), tr("Vhight")};
    if (maskColumn)
        titles << tr("mask");
    titles << tr("Base.St") << tr("Volt.St") << tr("Curr.St") << tr("Temp.St") << tr("Per%") << tr("Events");
    eventModel->setColumnCount(titles.size());
    eventModel->setHorizontalHeaderLabels(titles);
    QHeaderView* header = ui->DataListlView->horizontalHeader();
    header->setVisible(true);
    header->setDefaultSectionSize(95);
    header->setSectionResizeMode(QHeaderView::Interactive);
    // Stretched, yet never narrower than the width it was last given: a section in the
    // stretch mode is squeezed below its event texts once the other columns fill the view.
    header->setStretchLastSection(true);
    header->setCascadingSectionResizes(false);
}

void BMSMainWin::DataProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    const EventCountReply reading = EventCountReply::parse(reply);
    if (reading.value.isEmpty()) {
        MsgBox::show(this, QMessageBox::Information, tr("Message"), tr("The event is empty!"));
        return;
    }
    const int eventCount = reading.count;
    if (reading.valid) {
        qDebug() << "event num:" << eventCount;
        ui->EventNumLab->setText(tr("Event num: ") + QString::number(eventCount));
    } else {
        ui->EventNumLab->setText(tr("Event num: ") + NoValue::mark());
    }
}

void BMSMainWin::HisEveBtn_clicked()
{
    if (eventListing) {
        MsgBox::show(this, QMessageBox::Information, tr("Message"),
                     tr("Can't click \"Event\", Please click \"continue\" or click \"reflash\" or wait!"));
        return;
    }
    if (selfTesting || !portOpen)
        return;
    SendCommand(QStringLiteral("datalist event 0"));
    GuiThreadSleep(200);
}

void BMSMainWin::ContinueBtn_clicked()
{
    if (selfTesting)
        return;
    if (!eventListing) {
        MsgBox::show(this, QMessageBox::Information, tr("Message"), tr("Can't continue, Please click \"Event\"!"));
        return;
    }
    ReContinueTimer->setInterval(1300);
    ReContinueTimer->setSingleShot(true);
    if (ReContinueTimer->isActive()) {
        qDebug() << "ReContinueTimer nullptr:" << ReContinueTimer->isActive();
        MsgBox::show(this, QMessageBox::Warning, tr("warning"),
                     tr("The operation is too frequent!\nPlease try again later!"));
        return;
    }
    ReContinueTimer->start();
    // Enter alone asks the device for its next page; the current command stays the
    // listing, so the page is read as part of it.
    serial->SerialSendData(QStringLiteral("\r"));
    GuiThreadSleep(300);
}

void BMSMainWin::RefleshBtn_clicked()
{
    eventModel->removeRows(0, eventModel->rowCount());
    if (!selfTesting)
        SendCommand(QStringLiteral("data"));
    eventListing = false;
}

void BMSMainWin::DataListEventProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    // Text gathered before the port was lost may still be handed over after it; a
    // listing must not open again without a port, or "continue" would write into the
    // next session.
    if (!portOpen)
        return;
    const EventListPage page = EventListPage::parse(reply, eventMaskCol, eventListing);
    if (page.layout != EventListPage::Layout::Keep) {
        eventMaskCol = page.layout == EventListPage::Layout::Masked;
        setEventColumns(eventMaskCol);
    }
    eventListing = page.listingAfter(eventListing);
    if (page.cut == EventListPage::Cut::FirstOfMany || page.cut == EventListPage::Cut::Whole)
        eventModel->removeRows(0, eventModel->rowCount());
    for (const HisEventItem& e : page.rows)
        eventModel->appendRow(eventCells(e, eventMaskCol));
    // Every column to its contents, not only the first: at a fixed 95 pixels the
    // dates and the event texts are cut short. The sections stay interactive; the last
    // one still takes whatever width is left over.
    for (int c = 0; c < eventModel->columnCount(); ++c)
        ui->DataListlView->resizeColumnToContents(c);

    switch (page.outcome) {
    case EventListPage::Outcome::Completed:
        qDebug() << "datalist completed";
        MsgBox::show(this, QMessageBox::Information, tr("Message"), tr("The event Command completed successfully!"));
        break;
    case EventListPage::Outcome::Failed:
        MsgBox::show(this, QMessageBox::Information, tr("Message"),
                     tr("The event Command fail to excute!Please click \"Event\"!"));
        break;
    case EventListPage::Outcome::Unknown:
        MsgBox::show(this, QMessageBox::Information, tr("Message"),
                     tr("The Unknown Command!Please click \"Event\"!"));
        qDebug() << "unknown data:" << reply;
        break;
    case EventListPage::Outcome::More:
        break;
    }
}

void BMSMainWin::ClickEventShow(const QModelIndex& index)
{
    qDebug() << "index" << index;
    QString item;
    if (index.isValid()) {
        item = ui->DataListlView->model()->index(index.row(), 0).data().toString();
        qDebug() << "EventItem:" << item;
    }
    if (selfTesting)
        return;
    SendCommand(QStringLiteral("data event ") + item);
    GuiThreadSleep(300);
}

void BMSMainWin::DataEventProcess(const QString& reply)
{
    qDebug() << "Command:" << CurrentCommand;
    qDebug() << "data lenth:" << reply.size();
    auto* window = new DataEvent();
    window->SetDataEvent(reply);
    window->show();
}

QString BMSMainWin::HistoryPortClosed()
{
    const bool interrupted = eventListing;
    eventListing = false;
    ReContinueTimer->stop();
    eventModel->removeRows(0, eventModel->rowCount());
    ui->EventNumLab->setText(tr("Event num:"));
    return interrupted ? tr("The event list was not read to the end.") : QString();
}
