#ifndef LOGFOLDER_H
#define LOGFOLDER_H

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QMap>
#include <QString>

// The rotated log files of the log folder and their sizes, kept in memory. Listing a
// folder of tens of thousands of size backups takes a tenth of a second, too long to
// do on the GUI thread at every two-second tick; the folder is listed at start and at
// each change of day, and in between told of every file the handler writes.
class LogFolder
{
public:
    // Takes stock of the folder from disk.
    void scan(const QDir& dir);
    // A rotated log just written by the handler.
    void add(const QString& fileName, qint64 size);
    // Deletes the rotated logs whose day began before `limit`.
    void removeOlderThan(const QDateTime& limit);
    // Deletes size backups, oldest first, then dated logs, until the rotated logs and
    // "today.log" (todayBytes) together take at most maxBytes.
    void bound(qint64 maxBytes, qint64 todayBytes);
    // Bytes taken by the rotated logs.
    qint64 bytes() const { return total; }

    // The day a rotated log belongs to, read from its name ("yyyy-MM-dd.log" and
    // "yyyy-MM-dd hh:mm:ss.log", with or without a " (n)" added against collisions);
    // a null date for any other name, "today.log" included.
    static QDate dayOfName(const QString& fileName);

private:
    struct File {
        QString name;
        qint64 size = 0;
        QDate day;
    };
    using Files = QMap<QString, File>; // by age, oldest first

    void remove(Files& files, Files::iterator it);

    QDir dir;
    Files backups; // "yyyy-MM-dd hh:mm:ss.log": moved aside by size
    Files days;    // "yyyy-MM-dd.log": a finished day
    qint64 total = 0;
};

#endif // LOGFOLDER_H
