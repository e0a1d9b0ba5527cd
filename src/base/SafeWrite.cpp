#include "base/SafeWrite.h"

#include "base/SafeRead.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

bool SafeFileWriter::open(QIODevice::OpenMode extra) {
    // The new file replaces the old one by a rename: a device, a FIFO or a folder of that name
    // would be replaced by a regular file.
    const QString path = m_file.fileName();
    const QString problem = notRegularFileReason(path);
    if (!problem.isEmpty()) {
        m_reason = problem + QStringLiteral(" It was left alone.");
        return false;
    }
    struct stat existing {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &existing) == 0;

    // Unbuffered, so a short write (disk full, file-size limit) shows in the count written;
    // through a buffer the flush at commit can lose the tail of the file and still succeed.
    // QSaveFile writes through a symbolic link (the link stays) and keeps the permissions.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered | extra)) {
        m_reason = m_file.errorString();
        return false;
    }
    // Root replacing another user's file leaves it that user's.
    if (exists && ::geteuid() == 0 && (existing.st_uid != 0 || existing.st_gid != 0) &&
        ::fchown(m_file.handle(), existing.st_uid, existing.st_gid) != 0) {
        m_reason = QStringLiteral("its owner cannot be kept");
        m_file.cancelWriting();
        return false;
    }
    return true;
}

bool SafeFileWriter::write(const QByteArray& data) {
    if (failed() || !m_file.isOpen())
        return false;
    if (m_file.write(data) != data.size()) {
        m_reason = m_file.error() != QFileDevice::NoError
                       ? m_file.errorString()
                       : QStringLiteral("the disk is full or the file is too large");
        m_file.cancelWriting();
        return false;
    }
    return true;
}

bool SafeFileWriter::commit() {
    if (failed() || !m_file.isOpen())
        return false; // the temporary file is discarded
    if (!m_file.commit()) {
        m_reason = m_file.errorString();
        return false;
    }
    return true;
}

SafeWriteResult writeFileSafely(const QString& path, const QByteArray& data,
                                QIODevice::OpenMode extra) {
    SafeWriteResult result;
    SafeFileWriter file(path);
    result.opened = file.open(extra);
    result.ok = result.opened && file.write(data) && file.commit();
    result.reason = file.reason();
    return result;
}
