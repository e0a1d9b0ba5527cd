#pragma once

#include <QByteArray>
#include <QString>

struct SafeReadResult {
    bool ok = false;
    bool missing = false; // there is no file of that name
    QByteArray bytes;
    QString reason; // why not, for a message ("... is a FIFO, not a regular file")
};

// Reads a regular file, or a symbolic link to one, of at most `maxBytes` bytes. Anything else
// (a FIFO, a device, a directory, a socket) is refused by name without waiting on it, and a
// longer file is refused as too large after reading no more than maxBytes + 1 bytes: the limit
// holds for what is actually read, whatever the file system reports as its size.
SafeReadResult readRegularFile(const QString& path, qint64 maxBytes);

// Why `path` cannot be used as a file: empty when it is a regular file (or a symbolic link to
// one) or does not exist; otherwise "\"/dev/full\" is a device, not a regular file." and the
// like.
QString notRegularFileReason(const QString& path);
