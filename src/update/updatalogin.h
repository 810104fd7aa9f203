#ifndef UPDATALOGIN_H
#define UPDATALOGIN_H

#include <QWidget>

namespace Ui {
class UpdateLogin;
}

// The access code asked before an update. Not modal: the console keeps running behind
// it. A wrong code leaves it open without a word; it deletes itself when closed.
class UpdataLogin : public QWidget
{
    Q_OBJECT
public:
    explicit UpdataLogin(QWidget* parent = nullptr);
    ~UpdataLogin() override;

    static const char* const AccessCode;

signals:
    void LoginSuccess(bool Succ);

public slots:
    void ConnectInit();
    void Confirm_Clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Ui::UpdateLogin* ui;
};

#endif // UPDATALOGIN_H
