#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Replaces the file with the bytes in one step: a crash or a full disk leaves the old file whole.
// Temporary files that an earlier save of the same file left behind (a kill between writing and
// renaming) are removed first, so they never pile up beside it. False when nothing was written.
bool saveWholeFile(const QString& path, const QByteArray& bytes);

// Removes the temporary files interrupted saves of `path` left beside it ("<name>.XXXXXX").
void removeSaveLeftovers(const QString& path);

// Moves the file `from` over `to` in one step, replacing `to` if it exists: at no moment is there
// no `to`, so a crash never loses the file replaced before the move is made. False when the move
// failed (both files are then as they were).
bool moveOver(const QString& from, const QString& to);

} // namespace platform
