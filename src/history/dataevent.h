#ifndef DATAEVENT_H
#define DATAEVENT_H

#include <QString>
#include <QWidget>

namespace Ui {
class DataEvent;
}

// The device's full record of one event, in a window of its own. Several may be open
// at once; each deletes itself when closed, the main window keeps no reference.
class DataEvent : public QWidget
{
    Q_OBJECT
public:
    explicit DataEvent(QWidget* parent = nullptr);
    ~DataEvent() override;

    // Shows the reply as the device printed it. Always as plain text: a reply that
    // happens to look like markup must neither be rendered nor fetch anything.
    void SetDataEvent(const QString& text);

private:
    Ui::DataEvent* ui;
};

#endif // DATAEVENT_H
