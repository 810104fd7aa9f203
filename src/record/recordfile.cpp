#include "recordfile.h"

#include "recordrowbuilder.h"

RecordFile::RecordFile(const QString& path, QObject* parent)
    : QObject(parent)
    , file(path)
{
}

QByteArray RecordFile::header()
{
    return QByteArrayLiteral("\xEF\xBB\xBF") + RecordRowBuilder::line(RecordRowBuilder::columns());
}

bool RecordFile::open()
{
    // Unbuffered: every write goes straight to the system, and a failed one leaves
    // nothing behind in a buffer to be retried at close.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return fail(file.errorString());
    const qint64 size = file.size();
    if (size == 0)
        return write(header());
    file.seek(0);
    if (file.read(header().size()) != header()) {
        file.close();
        return fail(tr("It holds other data than a recording of this program."));
    }
    // A row cut short (the machine lost power mid-write) must not swallow the next one.
    file.seek(size - 1);
    return file.read(1) == "\n" || write("\r\n");
}

bool RecordFile::append(const QList<QStringList>& cycleRows)
{
    QByteArray bytes;
    for (const QStringList& row : cycleRows)
        bytes += RecordRowBuilder::line(row);
    if (!write(bytes))
        return false;
    rows += cycleRows.size();
    return true;
}

bool RecordFile::write(const QByteArray& bytes)
{
    const qint64 before = file.size();
    // A short write is not an error yet; writing the rest tells why the disk refused.
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done == bytes.size())
        return true;
    const QString reason = file.errorString();
    file.resize(before);
    return fail(reason);
}

bool RecordFile::fail(const QString& reason)
{
    error = reason;
    return false;
}
