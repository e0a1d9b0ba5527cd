#include "base/SafeRead.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "not a file";
}

QString notRegular(const QString& path, mode_t mode) {
    return QStringLiteral("\"%1\" is %2, not a regular file.")
        .arg(shown(path), QLatin1String(kindOf(mode)));
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

QString notRegularFileReason(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
    return notRegular(path, info.st_mode);
}

SafeReadResult readRegularFile(const QString& path, qint64 maxBytes) {
    SafeReadResult result;
    // Non-blocking, so that opening a FIFO without a writer does not wait for one.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        result.missing = error == ENOENT;
        result.reason =
            QStringLiteral("\"%1\" cannot be opened: %2.").arg(shown(path), systemError(error));
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        result.reason = notRegular(path, info.st_mode);
        ::close(fd);
        return result;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const qint64 room = maxBytes + 1 - bytes.size();
        if (room <= 0)
            break;
        const ssize_t n = ::read(fd, buffer, size_t(std::min<qint64>(room, sizeof buffer)));
        if (n > 0) {
            bytes.append(buffer, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.reason =
                QStringLiteral("\"%1\" cannot be read: %2.").arg(shown(path), systemError(errno));
            ::close(fd);
            return result;
        }
        break; // end of file
    }
    ::close(fd);
    if (bytes.size() > maxBytes) {
        result.reason = QStringLiteral("\"%1\" is too large (more than %2 bytes).")
                            .arg(shown(path))
                            .arg(maxBytes);
        return result;
    }
    result.ok = true;
    result.bytes = std::move(bytes);
    return result;
}
