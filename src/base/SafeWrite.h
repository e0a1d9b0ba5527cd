#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QSaveFile>
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

// A file written piece by piece and put in place atomically by commit(): until then an existing
// file at the path stays as it was, and a writer destroyed without commit() leaves it so. For
// tables that are produced while the controller is read: a folder that cannot take the file is
// known before the first exchange, and the pieces go to disk as they come.
class SafeFileWriter {
public:
    explicit SafeFileWriter(const QString& path) : m_file(path) {}

    // False with reason() when the file cannot be created, or what stands at the path is not a
    // regular file (left alone), as writeFileSafely() says.
    bool open(QIODevice::OpenMode extra = {});
    // False with reason() when not every byte was written; later writes and commit() then fail.
    bool write(const QByteArray& data);
    // Replaces the file with what was written. False with reason().
    bool commit();

    bool failed() const { return !m_reason.isEmpty(); }
    QString reason() const { return m_reason; }
    QString fileName() const { return m_file.fileName(); }

private:
    QSaveFile m_file;
    QString m_reason;
};
