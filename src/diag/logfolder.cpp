#include "logfolder.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

struct Name {
    QDate day;
    bool sizeBackup = false;
    QString age; // sorts in the order the files were made
};

Name parse(const QString& fileName)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})( \\d{2}:\\d{2}:\\d{2})?(?: \\((\\d+)\\))?\\.log$"));
    const QRegularExpressionMatch m = pattern.match(fileName);
    Name name;
    if (!m.hasMatch())
        return name;
    name.day = QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd"));
    name.sizeBackup = !m.captured(2).isEmpty();
    // " (2)" is younger than the plain name of the same second, " (10)" than " (9)".
    const int n = m.captured(3).isEmpty() ? 1 : m.captured(3).toInt();
    name.age = m.captured(1) + m.captured(2) + QStringLiteral("#%1").arg(n, 9, 10, QLatin1Char('0'));
    return name;
}

} // namespace

QDate LogFolder::dayOfName(const QString& fileName)
{
    return parse(fileName).day;
}

void LogFolder::scan(const QDir& folder)
{
    dir = folder;
    backups.clear();
    days.clear();
    total = 0;
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries)
        add(entry.fileName(), entry.size());
}

void LogFolder::add(const QString& fileName, qint64 size)
{
    const Name name = parse(fileName);
    if (!name.day.isValid())
        return;
    Files& files = name.sizeBackup ? backups : days;
    const auto old = files.constFind(name.age);
    if (old != files.constEnd())
        total -= old->size;
    files.insert(name.age, File{fileName, size, name.day});
    total += size;
}

void LogFolder::remove(Files& files, Files::iterator it)
{
    // One that is gone already (taken away by hand) is simply forgotten.
    QFile::remove(dir.filePath(it->name));
    total -= it->size;
    files.erase(it);
}

void LogFolder::removeOlderThan(const QDateTime& limit)
{
    for (Files* files : {&backups, &days}) {
        // Oldest first: the first young enough ends the look.
        auto it = files->begin();
        while (it != files->end() && QDateTime(it->day, QTime(0, 0)) < limit) {
            remove(*files, it);
            it = files->begin();
        }
    }
}

void LogFolder::bound(qint64 maxBytes, qint64 todayBytes)
{
    for (Files* files : {&backups, &days}) {
        while (total + todayBytes > maxBytes && !files->isEmpty())
            remove(*files, files->begin());
    }
}
