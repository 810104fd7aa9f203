#ifndef WAITCONFIG_H
#define WAITCONFIG_H

#include <QWidget>

namespace Ui {
class WaitConfig;
}

// The please-wait notice shown while the BMS restarts with new firmware.
class WaitConfig : public QWidget
{
    Q_OBJECT
public:
    explicit WaitConfig(QWidget* parent = nullptr);
    ~WaitConfig() override;

    void SetTransLabText(const QString& text);
    QString transLabText() const;

private:
    Ui::WaitConfig* ui;
};

#endif // WAITCONFIG_H
