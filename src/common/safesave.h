#ifndef SAFESAVE_H
#define SAFESAVE_H

#include <QByteArray>
#include <QString>

// Saving a text export the operator asked for: the file ends up holding either all of
// the new text or, when anything fails, exactly what it held before.
class SafeSave
{
public:
    // Writes bytes to path in text mode (the platform's line ends). Returns an empty
    // string on success, otherwise the system's reason ("Permission denied", "No
    // space left on device", …).
    static QString write(const QString& path, const QByteArray& bytes);
};

#endif // SAFESAVE_H
