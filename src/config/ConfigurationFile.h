#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class DeviceImage;
class ParameterTable;
struct Identification;

// The configuration file (.tvk): every value of the parameter entries 1..55, one item per line,
// lines ended by CR LF. Per entry: its name in the language of the writer, quoted, then its
// values as numbers (period as decimal separator, no leading blank). There is no header: the
// layout is fixed by the parameter table. Entry 0 (setpoints) is not stored.
namespace ConfigurationFile {
constexpr int FirstEntry = 1;
constexpr int LastEntry = 55;
// The file dialogs' filter.
QString filter();
// Number of value lines of entry p: the table's count, except entry 38 (CT ratio), which
// always has eight.
int valueCount(const ParameterTable& table, int p);
// A value as it stands in the file: "6000", "-12.5", "0.1".
QString formatNumber(double value);
// An item as read: a quoted text without its quotes, a number as int (whole numbers) or
// double, anything else as the text found.
QVariant parseItem(const QString& line);
} // namespace ConfigurationFile

struct ConfigurationFileResult {
    bool ok = false;
    // For the user when !ok: names the file and the reason.
    QString message;
    // Entries 1..entriesRead were replaced (a file that ends early replaces those before).
    int entriesRead = 0;
    // The attributes entry was read and decoded: the feature code display must be refreshed
    // (also when the file failed later on).
    bool attributesDecoded = false;
};

// Reads the file into the device image entry by entry. The attributes entry (31) is decoded at
// once into ModuleVariant and FeatureA. Only after the whole file was read: on linear-input
// modules the sensor types are reduced to their two low bits, and ExternalCurrentInputs is
// recomputed. A file that ends early keeps the values read so far and skips those steps.
ConfigurationFileResult ReadConfigurationFile(const QString& path, DeviceImage& image,
                                              Identification& identification,
                                              const ParameterTable& table);

// Writes the device image atomically: a failed write leaves an existing file as it was.
ConfigurationFileResult WriteConfigurationFile(const QString& path, const DeviceImage& image,
                                               const ParameterTable& table);

// One entry of a file as it stands, for listing a file without loading it.
struct ConfigurationFileEntry {
    int entry = 0; // 1..55
    QString name;
    QList<QVariant> values;
};
// The entries of a file; on a read error or a file that ends early, those complete so far
// and *result tells what went wrong.
QList<ConfigurationFileEntry> ReadConfigurationEntries(const QString& path,
                                                       const ParameterTable& table,
                                                       ConfigurationFileResult* result);

// A path longer than 28 characters as "..." followed by its last 25 characters.
QString ShortenedPath(const QString& path);
