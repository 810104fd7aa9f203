#ifndef REPLYFIELD_H
#define REPLYFIELD_H

#include <QString>
#include <QStringList>

// Reading "Key      : value   unit" lines out of a console reply. The device pads keys
// and values freely, so a field is found by the first occurrence of its key, and the
// value is what follows the first ":" after it. Every parser that reads key-value
// lines uses this one class, so they all agree on what a field is.
class ReplyField
{
public:
    // The value text of key: from the first ":" after the key to the end of that line,
    // trimmed (to the end of the reply when the key is on the last line). A null
    // QString when the key or the colon is missing.
    static QString text(const QString& reply, const QString& key);

    // The value text of key up to the first occurrence of unit after the colon,
    // trimmed. A null QString when the key, the colon or the unit is missing.
    static QString textBefore(const QString& reply, const QString& key, const QString& unit);

    // The value of key (up to unit when one is given) read as a base-10 integer or a
    // double, and multiplied by scale; NoValue when it is missing or not a number.
    static int toInt(const QString& reply, const QString& key, const QString& unit = QString());
    static double toDouble(const QString& reply, const QString& key, const QString& unit = QString(),
                           double scale = 1.0);

    // Every key present in the reply (case-sensitive substring test).
    static bool hasAll(const QString& reply, const QStringList& keys);

    // A table row split at runs of white space, keeping empty parts (a row with
    // leading blanks gives an empty first part, as the row layouts expect).
    static QStringList columns(const QString& row);

    // A row trimmed and split at runs of white space, without empty parts.
    static QStringList trimmedColumns(const QString& row);
};

#endif // REPLYFIELD_H
