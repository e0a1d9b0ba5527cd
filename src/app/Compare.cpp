#include "app/Compare.h"

#include "app/Workspace.h"
#include "base/Interaction.h"
#include "config/ConfigurationFile.h"
#include "device/Transfers.h"
#include "link/Link.h"
#include "params/Comparison.h"

#include <memory>

namespace {
QString controllerText(const Texts& texts) {
    static const char* const text[] = {"Regler", "Controller", "Régulateur", "Regolatore"};
    return texts.inLanguage(text);
}

QString programText(const Texts& texts) {
    static const char* const text[] = {"Im Programm", "In the program", "Dans le programme",
                                       "Nel programma"};
    return texts.inLanguage(text);
}

QList<int> rowRange(int first, int last) {
    QList<int> rows;
    for (int row = first; row <= last; ++row)
        rows << row;
    return rows;
}

ImageComparison compareSides(Workspace& ws, DeviceData& other, const QList<int>& rows,
                             const QString& otherName) {
    DeviceData program(ws.interaction());
    copyForComparison(ws, program, ws.image);
    ImageComparison c;
    c.differences = compareImages(ws.table, other.image, ws.image, rows);
    c.valueText = overviewValueText(other, program);
    c.before = otherName;
    c.after = programText(ws.texts);
    return c;
}
} // namespace

QStringList ImageComparison::header(const Texts& texts) const {
    return WritePreview::tableHeader(texts, before, after);
}

QList<QStringList> ImageComparison::tableRows(const Texts& texts) const {
    return differences.tableRows(texts, valueText);
}

std::optional<ImageComparison> compareWithController(Workspace& ws) {
    DeviceData controller(ws.interaction());
    copyForComparison(ws, controller, ws.image);
    int lastRow = -1;
    if (ws.transfers().ReadCopy(compareWithControllerCaption(ws.texts), controller.image,
                                &lastRow) != Transfers::Outcome::Done)
        return std::nullopt;
    return compareSides(ws, controller, rowRange(0, lastRow), controllerText(ws.texts));
}

std::optional<ImageComparison> compareWithFile(Workspace& ws, const QString& path) {
    DeviceData file(ws.interaction());
    copyForComparison(ws, file, ws.image);
    const ConfigurationFileResult loaded =
        ReadConfigurationFile(path, file.image, file.identification, file.table);
    if (!loaded.ok) {
        ws.interaction().inform(QStringLiteral("Error"), loaded.message,
                                Interaction::Icon::Critical);
        return std::nullopt;
    }
    // Both shown for the controller the program is set up for.
    file.identification.FirmwareVersion = ws.identification.FirmwareVersion;
    return compareSides(ws, file,
                        rowRange(ConfigurationFile::FirstEntry, ConfigurationFile::LastEntry),
                        ShortenedPath(path));
}

ComparisonValueText writePreviewValueText(Workspace& ws, const DeviceImage& toWrite) {
    DeviceData before(ws.interaction());
    copyForComparison(ws, before, ws.image);
    const ControllerKey controller = ws.link().controller();
    for (int row = 0; row < DeviceImage::Rows; ++row)
        if (const auto read = ws.record.lastRead(controller, row))
            for (int column = 1; column < DeviceImage::Columns; ++column)
                before.image.cell(row, column) = (*read)[size_t(column)];
    DeviceData after(ws.interaction());
    copyForComparison(ws, after, toWrite);
    return overviewValueText(before, after);
}

QString compareWithControllerCaption(const Texts& texts) {
    static const char* const text[] = {"Mit Regler vergleichen", "Compare with controller",
                                       "Comparer avec le régulateur",
                                       "Confronta con il regolatore"};
    return texts.inLanguage(text);
}

QString compareWithFileCaption(const Texts& texts) {
    static const char* const text[] = {"Mit Datei vergleichen", "Compare with file",
                                       "Comparer avec un fichier", "Confronta con un file"};
    return texts.inLanguage(text);
}
