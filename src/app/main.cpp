#include "bmsmainwin.h"

#include "breakpadhandler.h"
#include "crashreportdialog.h"
#include "loghandler.h"
#include "uilanguage.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QStandardPaths>
#include <QTime>

int main(int argc, char* argv[])
{
    // Nothing in the window draws with OpenGL, yet on X11 the toolkit loads the GL
    // driver at start, and Mesa's brings its shader compiler: some 50 MB of memory and
    // a good part of the launch time, for nothing. Set by hand, the variable still wins.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cellvue"));
    QApplication::setApplicationVersion(QStringLiteral("0.0.1"));
    QApplication::setOrganizationName(QStringLiteral("OrgName"));
    QApplication::setOrganizationDomain(QStringLiteral("cellvue.local"));

    // Armed before any window exists, so a crash during start-up still leaves a dump.
    // Without a data location (no HOME) the dumps go below the temporary directory
    // rather than to "/crashs" at the file-system root.
    const QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::AppLocalDataLocation);
    const QString dataDir = dataDirs.isEmpty() ? QDir::tempPath() + QStringLiteral("/Cellvue") : dataDirs.first();
    BreakpadHandler::GetInstance()->SetupBreakPad(dataDir + QStringLiteral("/crashs"));

    QRect available(0, 0, 1920, 1080);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        available = screen->availableGeometry();
    qDebug() << "scr:" << available.width() << available.height();
    const double rateW = available.width() / 1920.0;
    const double rateH = available.height() / 1080.0;
    qDebug() << "pro" << rateW << rateH;

    LogHandler::Get().installMessageHandler();
    qDebug() << "current time :" << QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    qInfo() << "hi";

    // Chinese texts for a Chinese locale; the program's own English otherwise.
    UiLanguage::install();

    int result = 0;
    {
        BMSMainWin window;
        // The desktop entry's name (for Wayland's task switcher) and its icon, which the
        // window's constructor has just made available with the other resources.
        QGuiApplication::setDesktopFileName(QStringLiteral("local.cellvue.Cellvue"));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/res/cellvue.png")));
        const QRect geometry = BMSMainWin::StartGeometry(available);
        qDebug() << "BmsW:" << geometry.width() << " BmsH:" << geometry.height();
        window.resize(geometry.size());
        window.move(geometry.topLeft());
        window.show();

        CrashReportDialog::OfferLastRunDumps();

        // The start-up check of the log handler: this line must reach only the
        // default output, never the log file.
        LogHandler::Get().uninstallMessageHandler();
        qDebug() << "不写入测试";
        LogHandler::Get().installMessageHandler();

        result = app.exec();
        LogHandler::Get().uninstallMessageHandler();
    }
    return result;
}
