#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class DeviceImage;
class ParameterTable;
class Texts;
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
QVariant parseItem(QStringView line);
} // namespace ConfigurationFile

// A value of a file that is not a number as the file should hold it.
struct ConfigurationFileValue {
    int entry = 0;  // 1..55
    int number = 0; // 1.. within the entry
    QString text;   // as it stands in the file
};

struct ConfigurationFileResult {
    bool ok = false;
    // For the user when !ok: names the file and the reason.
    QString message;
    // Complete entries in the file (55 when ok); when the file ends early, the next one is
    // where it ended.
    int entriesRead = 0;
    // The attributes entry was decoded: the feature code display must be refreshed.
    bool attributesDecoded = false;
    // Values kept as text: they count by the number they begin with (0 without one).
    QList<ConfigurationFileValue> notNumbers;
    // Numbers beyond any range (1e400): kept as text, refused when written or saved.
    QList<ConfigurationFileValue> tooLarge;
};

// Reads the whole file first and changes the device image only when it is complete: a file
// that cannot be read or ends early changes nothing (the message names the entry where it
// ended). Then the attributes entry (31) is decoded into ModuleVariant and FeatureA, on
// linear-input modules the sensor types are reduced to their two low bits, and
// ExternalCurrentInputs is recomputed. Values that are not numbers are loaded as the file
// holds them and listed in notNumbers and tooLarge.
ConfigurationFileResult ReadConfigurationFile(const QString& path, DeviceImage& image,
                                              Identification& identification,
                                              const ParameterTable& table);
// The same for a file's contents already in memory (`path` names it in messages).
ConfigurationFileResult LoadConfiguration(const QByteArray& bytes, const QString& path,
                                          DeviceImage& image, Identification& identification,
                                          const ParameterTable& table);

// Writes the device image atomically: a failed write leaves an existing file as it was. A
// value beyond any range (a text such as "1e400") is refused, naming entry and value, and
// nothing is written.
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
QList<ConfigurationFileEntry> ParseConfigurationEntries(const QByteArray& bytes,
                                                        const QString& path,
                                                        const ParameterTable& table,
                                                        ConfigurationFileResult* result);

// For the user after a load that kept values as text: which values, in the language in use
// (entry names from `table`). Empty when every value was a number.
QString valuesNotNumbersText(const ConfigurationFileResult& result, const ParameterTable& table,
                             const Texts& texts);

// A path longer than 28 characters as "..." followed by its last 25 characters.
QString ShortenedPath(const QString& path);
