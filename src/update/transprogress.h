#ifndef TRANSPROGRESS_H
#define TRANSPROGRESS_H

#include <QWidget>

namespace Ui {
class TransProgress;
}

// The small window that shows how far a firmware transfer has come. It is a window of
// its own, but goes with the main window that owns it.
class TransProgress : public QWidget
{
    Q_OBJECT
public:
    explicit TransProgress(QWidget* parent = nullptr);
    ~TransProgress() override;

    void SetTransProValue(int value);
    void TransProReSet();
    int value() const;

private:
    Ui::TransProgress* ui;
};

#endif // TRANSPROGRESS_H
