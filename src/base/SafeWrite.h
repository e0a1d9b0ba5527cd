#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

struct SafeWriteResult {
    bool ok = false;
    // False when the file could not even be created (missing folder, no permission); true when
    // the writing or the final rename failed.
    bool opened = false;
    QString reason; // why not, for a message
};

// Replaces the file at `path` with `data` atomically (QSaveFile): an existing file is replaced
// only when every byte was written, otherwise it is left unchanged. The file is written
// unbuffered, so a short write (disk full, file-size limit) shows in the count written; through
// a buffer the flush at commit can lose the tail of the file and still report success.
// `extra` adds open flags (QIODevice::Text for native line breaks).
SafeWriteResult writeFileSafely(const QString& path, const QByteArray& data,
                                QIODevice::OpenMode extra = {});
