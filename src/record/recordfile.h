#ifndef RECORDFILE_H
#define RECORDFILE_H

#include <QFile>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// The file a recording goes to. It stays open for the whole recording, so a
// spreadsheet that opens it meanwhile cannot lock the recorder out, and each cycle's
// rows reach the operating system in one write before the next cycle begins: a crash
// or an unplugged adapter loses at most the cycle in progress.
class RecordFile : public QObject
{
    Q_OBJECT

public:
    explicit RecordFile(const QString& path, QObject* parent = nullptr);

    // Opens the file for appending. A new or empty file gets the header row; an
    // existing one is continued only when it begins with that same header.
    bool open();
    // Appends the rows of one cycle. A failed write (disk full) cuts the file back to
    // its last whole cycle, so no torn row is left behind.
    bool append(const QList<QStringList>& rows);

    QString path() const { return file.fileName(); }
    QString errorString() const { return error; }
    // Rows appended since open(), the header not counted.
    qint64 rowsWritten() const { return rows; }

    // The header row as written: a byte-order mark, so that spreadsheets read the
    // unit names as UTF-8, then the column names.
    static QByteArray header();

private:
    // All of bytes, or nothing: a failed write is cut off again.
    bool write(const QByteArray& bytes);
    bool fail(const QString& reason);

    QFile file;
    QString error;
    qint64 rows = 0;
};

#endif // RECORDFILE_H
