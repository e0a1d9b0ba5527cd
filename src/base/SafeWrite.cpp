#include "base/SafeWrite.h"

bool SafeFileWriter::open(QIODevice::OpenMode extra) {
    // Unbuffered, so a short write (disk full, file-size limit) shows in the count written;
    // through a buffer the flush at commit can lose the tail of the file and still succeed.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered | extra)) {
        m_reason = m_file.errorString();
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
