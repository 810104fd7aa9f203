#ifndef ADDBARCODE_H
#define ADDBARCODE_H

#include <QWidget>

class QEvent;

namespace Ui {
class AddBarcode;
}

// The small window in which the operator types the barcode of a pack that has none.
// It only checks the entry and hands it on; writing it to the device is the main
// window's job.
class AddBarcode : public QWidget
{
    Q_OBJECT

public:
    explicit AddBarcode(QWidget* parent = nullptr);
    ~AddBarcode() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void AddMissBarcode(const QString& barcode);

public slots:
    void Confirm_Clicked();

private:
    Ui::AddBarcode* ui = nullptr;
};

#endif // ADDBARCODE_H
