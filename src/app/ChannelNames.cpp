#include "app/ChannelNames.h"

#include "base/SafeRead.h"

#include <QDir>
#include <QFileInfo>

QStringList ChannelNames::defaults() {
    QStringList list;
    for (int k = 1; k <= 8; ++k)
        list.append(QString::number(k));
    return list;
}

bool ChannelNames::load(const QString& path) {
    // Eight short names; a larger file is not a channel-name file.
    constexpr qint64 kMaxSize = 64 * 1024;
    const SafeReadResult read = readRegularFile(path, kMaxSize);
    if (!read.ok)
        return false;
    const QStringList lines = QString::fromUtf8(read.bytes).split(u'\n');
    for (int k = 0; k < 8 && k < lines.size(); ++k) {
        QString line = lines[k];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            names[k] = line;
    }
    return true;
}

QString channelNamesPath(const QString& settingsPath, const QString& deviceType) {
    return QFileInfo(settingsPath).absoluteDir().filePath(deviceType + QStringLiteral(".zyk"));
}
