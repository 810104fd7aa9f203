#include "safesave.h"

#include <QSaveFile>

QString SafeSave::write(const QString& path, const QByteArray& bytes)
{
    // Written beside the old file and renamed over it only when complete. Unbuffered,
    // because a buffered write that the disk takes only in part is dropped without an
    // error; written directly, the short count shows, and the next call names the cause.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Unbuffered))
        return out.errorString();
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            const QString reason = out.errorString();
            out.cancelWriting();
            return reason;
        }
        done += n;
    }
    if (!out.commit())
        return out.errorString();
    return QString();
}
