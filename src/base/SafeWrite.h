#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

struct SafeWriteResult {
    bool ok = false;
    // False when the file could not even be created (missing folder, no permission, not a
    // regular file); true when the writing or the final rename failed.
    bool opened = false;
    QString reason; // why not, for a message
};

// Replaces the file at `path` with `data` atomically (QSaveFile): an existing file is replaced
// only when every byte was written, otherwise it is left unchanged. Only a regular file is
// replaced: a device, FIFO, folder or socket of that name is refused by name and left alone.
// A symbolic link stays a link (its target is replaced), permissions are kept, and when root
// replaces another user's file the file keeps its owner and group. The file is written
// unbuffered, so a short write (disk full, file-size limit) shows in the count written; through
// a buffer the flush at commit can lose the tail of the file and still report success.
// `extra` adds open flags (QIODevice::Text for native line breaks).
SafeWriteResult writeFileSafely(const QString& path, const QByteArray& data,
                                QIODevice::OpenMode extra = {});
