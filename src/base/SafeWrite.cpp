#include "base/SafeWrite.h"

#include <QSaveFile>

SafeWriteResult writeFileSafely(const QString& path, const QByteArray& data,
                                QIODevice::OpenMode extra) {
    SafeWriteResult result;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered | extra)) {
        result.reason = file.errorString();
        return result;
    }
    result.opened = true;
    if (file.write(data) != data.size()) {
        result.reason = file.error() != QFileDevice::NoError
                            ? file.errorString()
                            : QStringLiteral("the disk is full or the file is too large");
        return result; // the temporary file is discarded
    }
    if (!file.commit()) {
        result.reason = file.errorString();
        return result;
    }
    result.ok = true;
    return result;
}
