#include "app/AsFound.h"

#include "app/Defaults.h"
#include "config/ConfigurationFile.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <memory>

QString asFoundFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/q7400/as-found");
}

QString asFoundFileName(const QDateTime& when, int address, int firmware) {
    return QStringLiteral("Q7400_as-found_%1_adr%2_V%3.%4.tvk")
        .arg(when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")))
        .arg(address)
        .arg(firmware / 16)
        .arg(firmware % 16);
}

QString keepAsFoundConfiguration(const ParameterTable& table, const DeviceImage& asFound,
                                 int lastRow, int address, int firmware, QString* error) {
    const QString folder = asFoundFolder();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot make the folder %1").arg(folder);
        return {};
    }
    // Two writes within one second (a retry) each keep their own file.
    const QString name = asFoundFileName(QDateTime::currentDateTime(), address, firmware);
    QString path = folder + u'/' + name;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path =
            folder + u'/' + QFileInfo(name).completeBaseName() + QStringLiteral("_%1.tvk").arg(n);

    const auto saved = std::make_unique<DeviceImage>();
    Identification defaults;
    LoadDefaultConfiguration(*saved, defaults);
    for (int row = 0; row <= std::min(lastRow, DeviceImage::Rows - 1); ++row)
        for (int column = 1; column < DeviceImage::Columns; ++column)
            saved->cell(row, column) = asFound.cell(row, column);
    const ConfigurationFileResult result = WriteConfigurationFile(path, *saved, table);
    if (!result.ok) {
        *error = result.message;
        return {};
    }
    return path;
}
