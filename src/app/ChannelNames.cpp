#include "app/ChannelNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

QStringList ChannelNames::defaults() {
    QStringList list;
    for (int k = 1; k <= 8; ++k)
        list.append(QString::number(k));
    return list;
}

bool ChannelNames::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    for (int k = 0; k < 8 && !in.atEnd(); ++k) {
        QString line = in.readLine();
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
