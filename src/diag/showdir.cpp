#include "showdir.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {
bool openWithDesktop(const QString& path)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return true;
    // Platform plugins without desktop services (offscreen, minimal, eglfs) still run on
    // a desktop that usually has xdg-open.
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return !xdgOpen.isEmpty() && QProcess::startDetached(xdgOpen, QStringList{path});
}

ShowDirOpener& opener()
{
    static ShowDirOpener current;
    return current;
}
} // namespace

void ShowDir(const QString& path)
{
    const bool shown = opener() ? opener()(path) : openWithDesktop(path);
    if (!shown)
        qDebug("ShowDir: no file manager could show %s", qPrintable(path));
}

ShowDirOpener setShowDirOpener(ShowDirOpener newOpener)
{
    ShowDirOpener previous = opener();
    opener() = std::move(newOpener);
    return previous;
}
