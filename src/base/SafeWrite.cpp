#include "base/SafeWrite.h"

#include "base/SafeRead.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

SafeWriteResult writeFileSafely(const QString& path, const QByteArray& data,
                                QIODevice::OpenMode extra) {
    SafeWriteResult result;
    // The new file replaces the old one by a rename: a device, a FIFO or a folder of that name
    // would be replaced by a regular file.
    const QString problem = notRegularFileReason(path);
    if (!problem.isEmpty()) {
        result.reason = problem + QStringLiteral(" It was left alone.");
        return result;
    }
    struct stat existing {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &existing) == 0;

    // QSaveFile writes through a symbolic link (the link stays) and keeps the permissions.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered | extra)) {
        result.reason = file.errorString();
        return result;
    }
    result.opened = true;
    // Root replacing another user's file leaves it that user's.
    if (exists && ::geteuid() == 0 && (existing.st_uid != 0 || existing.st_gid != 0) &&
        ::fchown(file.handle(), existing.st_uid, existing.st_gid) != 0) {
        result.reason = QStringLiteral("its owner cannot be kept");
        return result; // the temporary file is discarded
    }
    if (file.write(data) != data.size()) {
        result.reason = file.error() != QFileDevice::NoError
                            ? file.errorString()
                            : QStringLiteral("the disk is full or the file is too large");
        return result;
    }
    if (!file.commit()) {
        result.reason = file.errorString();
        return result;
    }
    result.ok = true;
    return result;
}
