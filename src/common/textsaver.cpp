#include "textsaver.h"

#include "msgbox.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QSaveFile>

QString TextSaver::saveAs(QWidget* parent, const QString& title, const QString& startDir,
                          const QString& filter, const QByteArray& text)
{
    const QString path = MsgBox::saveFile(parent, title, startDir, filter);
    if (path.isEmpty())
        return QString();
    return write(parent, path, text) ? path : QString();
}

namespace {

// The system's reason when the text could not be saved, empty when it was. The
// temporary file is gone again when this returns, whatever happened.
QString saveFile(const QString& path, const QByteArray& bytes)
{
    // Unbuffered, so that a write the disk cuts short shows here: a buffered QSaveFile
    // meets it only inside commit(), which then still replaces the target.
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Unbuffered);
    for (qint64 done = 0; ok && done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        ok = n > 0;
        done += n;
    }
    if (ok && file.commit())
        return QString();
    return file.errorString();
}

} // namespace

bool TextSaver::write(QWidget* parent, const QString& path, const QByteArray& text)
{
    const QString reason = saveFile(path, text);
    if (reason.isEmpty())
        return true;
    qWarning() << "save failed:" << path << reason;
    MsgBox::show(parent, QMessageBox::Warning, QCoreApplication::translate("TextSaver", "Warning"),
                 QCoreApplication::translate("TextSaver", "Could not save %1:\n%2")
                     .arg(QDir::toNativeSeparators(path), reason));
    return false;
}
