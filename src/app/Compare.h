#pragma once

#include "device/WritePreview.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class DeviceImage;
class Texts;
class Workspace;

// What a comparison shows: the values that differ between another configuration (the
// controller, a file) and the program's, shown as the windows show them.
struct ImageComparison {
    WritePreview differences;
    ComparisonValueText valueText;
    QString before; // the other side: "Controller" or the file's name
    QString after;  // "In the program"

    bool equal() const { return differences.rows.isEmpty(); }
    QStringList header(const Texts& texts) const;
    QList<QStringList> tableRows(const Texts& texts) const;
};

// The program's configuration compared with the controller's, read now into a copy: the
// program's image, record and identification stay as they are. Empty when the operation was
// refused or the controller did not answer (the user has been told).
std::optional<ImageComparison> compareWithController(Workspace& ws);
// ... with a configuration file (entries 1..55). Empty after the message when the file cannot be
// loaded.
std::optional<ImageComparison> compareWithFile(Workspace& ws, const QString& path);

// The values of the write preview as the windows show them: what was last read from the
// controller against `toWrite`.
ComparisonValueText writePreviewValueText(Workspace& ws, const DeviceImage& toWrite);

// "Compare with controller", "Compare with file": the File menu's entries and the title of
// their window.
QString compareWithControllerCaption(const Texts& texts);
QString compareWithFileCaption(const Texts& texts);
