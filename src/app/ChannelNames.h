#pragma once

#include <QString>
#include <QStringList>

// Display names of the eight channels, "1".."8" unless the channel-name file Q7400.zyk names
// them (line k = channel k; a missing or short file leaves the remaining defaults).
struct ChannelNames {
    QStringList names = defaults();

    static QStringList defaults();
    // Reads the file; false when it could not be read (the names stay as they were).
    bool load(const QString& path);
};

// The channel-name file beside the settings file: `DeviceType` + ".zyk".
QString channelNamesPath(const QString& settingsPath, const QString& deviceType);
