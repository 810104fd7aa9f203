#ifndef SHOWDIR_H
#define SHOWDIR_H

#include <QString>

#include <functional>

// Shows a folder in the desktop's file manager. Never goes through a shell: the path is
// handed over as a URL or as one argument, whatever characters it holds.
void ShowDir(const QString& path);

// What ShowDir calls to do the work. Tests put a recorder here; an empty function puts
// the desktop's own opener back. Returns the previous one.
using ShowDirOpener = std::function<bool(const QString& path)>;
ShowDirOpener setShowDirOpener(ShowDirOpener opener);

#endif // SHOWDIR_H
