#include "app/Workspace.h"
#include "config/ConfigurationFile.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"
#include "support/ScriptedInteraction.h"
#include "support/TestFiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
ParameterTable tableIn(int languageOffset) {
    Texts texts;
    texts.setLanguageOffset(languageOffset);
    ParameterTable table;
    table.BuildParameterTable(texts);
    return table;
}

// Distinct values in every stored cell, with fractions, negatives and a text.
void fill(DeviceImage& image, const ParameterTable& table) {
    image.clear();
    for (int p = 1; p <= 55; ++p)
        for (int k = 1; k <= ConfigurationFile::valueCount(table, p); ++k)
            image.setValue(p, k, p * 100 + k);
    image.setValue(1, 2, -12.5);
    image.setValue(13, 3, 0.1);
    image.setValue(31, 1, 0x40); // temperature inputs: sensor types stay as they are
    image.setValue(33, 1, 7);
}

// An English table's image with distinct values, saved to `name` in `dir`.
QString savedFile(const QTemporaryDir& dir, const QString& name, DeviceImage& image,
                  const ParameterTable& table) {
    fill(image, table);
    const QString path = dir.filePath(name);
    return WriteConfigurationFile(path, image, table).ok ? path : QString();
}
} // namespace

class tst_ConfigurationFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }

    // Saved in the file's layout (CRLF lines, quoted names, the values of each entry), and read
    // back unchanged.
    void roundTrip() {
        const ParameterTable english = tableIn(1000);
        DeviceImage saved;
        const QString path = savedFile(m_dir, QStringLiteral("trip.tvk"), saved, english);
        QVERIFY(!path.isEmpty());
        const QByteArray bytes = readFile(path);
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
        const QList<QByteArray> lines = bytes.chopped(2).split('\n');
        int expectedLines = 0;
        for (int p = 1; p <= 55; ++p)
            expectedLines += 1 + ConfigurationFile::valueCount(english, p);
        QCOMPARE(lines.size(), expectedLines);
        QCOMPARE(lines.mid(0, 3), (QList<QByteArray>{"\"AL1 upper limit\"\r", "101\r", "-12.5\r"}));
        // Entry 38 (CT ratio) has eight value lines although the table counts one.
        const qsizetype ct = lines.indexOf(QByteArray("\"CT ratio\"\r"));
        QVERIFY(ct > 0);
        QCOMPARE(lines[ct + 8], QByteArray("3808\r"));
        QCOMPARE(lines[ct + 9], '"' + english[39].Name.toUtf8() + "\"\r");
        QVERIFY(bytes.contains("\r\n0.1\r\n"));
        QVERIFY(bytes.endsWith('"' + english[55].Name.toUtf8() + "\"\r\n5501\r\n"));

        DeviceImage loaded;
        loaded.clear();
        loaded.setValue(0, 1, 4711); // entry 0 is not in the file
        Identification id;
        const ConfigurationFileResult r = ReadConfigurationFile(path, loaded, id, english);
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(r.entriesRead, 55);
        QVERIFY(r.attributesDecoded);
        for (int p = 1; p <= 55; ++p)
            for (int k = 1; k <= ConfigurationFile::valueCount(english, p); ++k)
                QCOMPARE(loaded.value(p, k), saved.value(p, k));
        QCOMPARE(loaded.value(38, 8), 3808.0);
        QCOMPARE(loaded.value(0, 1), 4711.0);
        QCOMPARE(id.ModuleVariant, 3);
    }

    void germanFileOpensWithEnglishTexts() {
        const ParameterTable german = tableIn(0);
        DeviceImage saved;
        fill(saved, german);
        const QString path = m_dir.filePath(QStringLiteral("deutsch.tvk"));
        QVERIFY(WriteConfigurationFile(path, saved, german).ok);
        QVERIFY(readFile(path).startsWith("\"1. Grenzwert oben\"\r\n"));

        DeviceImage loaded;
        loaded.clear();
        Identification id;
        QVERIFY(ReadConfigurationFile(path, loaded, id, tableIn(1000)).ok);
        for (int p = 1; p <= 55; ++p)
            for (int k = 1; k <= 21; ++k)
                QCOMPARE(loaded.value(p, k), saved.value(p, k));
    }

    void linearModuleReducesSensorTypes() {
        const ParameterTable english = tableIn(1000);
        DeviceImage saved;
        fill(saved, english);
        saved.setValue(31, 1, 0x41);
        for (int k = 1; k <= 8; ++k)
            saved.setValue(33, k, k + 2);
        const QString path = m_dir.filePath(QStringLiteral("linear.tvk"));
        QVERIFY(WriteConfigurationFile(path, saved, english).ok);
        DeviceImage loaded;
        loaded.clear();
        Identification id;
        QVERIFY(ReadConfigurationFile(path, loaded, id, english).ok);
        QCOMPARE(id.FeatureA, 1);
        QCOMPARE(id.ModuleVariant, 2);
        for (int k = 1; k <= 8; ++k)
            QCOMPARE(loaded.value(33, k), double((k + 2) & 3));
    }

    void fileEndingEarlyKeepsWhatWasRead() {
        const ParameterTable english = tableIn(1000);
        DeviceImage saved;
        fill(saved, english);
        saved.setValue(31, 1, 0x41);
        saved.setValue(33, 1, 6);
        const QString path = m_dir.filePath(QStringLiteral("short.tvk"));
        QVERIFY(WriteConfigurationFile(path, saved, english).ok);
        // Cut the file inside entry 36 (I/O config.): after its name and five of its values.
        QByteArray bytes = readFile(path);
        const qsizetype at = bytes.indexOf("\"I/O config.\"\r\n");
        QVERIFY(at > 0);
        qsizetype cut = at;
        for (int i = 0; i < 6; ++i)
            cut = bytes.indexOf('\n', cut) + 1;
        QVERIFY(writeFile(path, bytes.left(cut)));

        DeviceImage loaded;
        loaded.clear();
        for (int k = 1; k <= 20; ++k)
            loaded.setValue(36, k, -1);
        loaded.setValue(55, 1, -1);
        Identification id;
        const ConfigurationFileResult r = ReadConfigurationFile(path, loaded, id, english);
        QVERIFY(!r.ok);
        QCOMPARE(r.entriesRead, 35);
        QVERIFY(r.attributesDecoded);
        QCOMPARE(id.ModuleVariant, 2);
        QVERIFY2(r.message.contains(QStringLiteral("short.tvk")), qPrintable(r.message));
        QVERIFY2(r.message.contains(QStringLiteral("ends early")), qPrintable(r.message));
        QCOMPARE(loaded.value(35, 8), saved.value(35, 8));
        QCOMPARE(loaded.value(36, 1), -1.0); // the incomplete entry is not half-loaded
        QCOMPARE(loaded.value(55, 1), -1.0);
        QCOMPARE(loaded.value(33, 1), 6.0); // the later steps (sensor reduction) did not run

        const ConfigurationFileResult none =
            ReadConfigurationFile(m_dir.filePath(QStringLiteral("none.tvk")), loaded, id, english);
        QVERIFY(!none.ok);
        QCOMPARE(none.entriesRead, 0);
        QVERIFY(none.message.contains(QStringLiteral("none.tvk")));
    }

    void textItemsAreKeptAndSavedAsNumbers() {
        const ParameterTable english = tableIn(1000);
        DeviceImage saved;
        const QString path = savedFile(m_dir, QStringLiteral("text.tvk"), saved, english);
        QVERIFY(!path.isEmpty());
        QByteArray bytes = readFile(path);
        bytes.replace("\r\n101\r\n", "\r\nabc\r\n");
        bytes.replace("\r\n202\r\n", "\r\n\"12.5 mm\"\r\n");
        QVERIFY(writeFile(path, bytes));

        DeviceImage loaded;
        loaded.clear();
        Identification id;
        QVERIFY(ReadConfigurationFile(path, loaded, id, english).ok);
        QCOMPARE(loaded.cell(1, 1), QVariant(QStringLiteral("abc")));
        QCOMPARE(loaded.value(1, 1), 0.0);
        QCOMPARE(loaded.value(2, 2), 12.5);
        QVERIFY(WriteConfigurationFile(path, loaded, english).ok);
        QVERIFY(readFile(path).startsWith("\"AL1 upper limit\"\r\n0\r\n-12.5\r\n"));
    }

    void failedSaveKeepsTheOldFile() {
        const ParameterTable english = tableIn(1000);
        DeviceImage image;
        fill(image, english);
        const QString path = m_dir.filePath(QStringLiteral("keep.tvk"));
        QVERIFY(writeFile(path, "old contents\r\n"));
        ConfigurationFileResult r;
        {
            FileSizeLimit limit(512);
            r = WriteConfigurationFile(path, image, english);
        }
        QVERIFY(!r.ok);
        QVERIFY2(r.message.contains(QStringLiteral("keep.tvk")), qPrintable(r.message));
        QCOMPARE(readFile(path), QByteArray("old contents\r\n"));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral("keep")).size(),
                 1);

        const QString inMissingFolder = m_dir.filePath(QStringLiteral("no/such/folder/x.tvk"));
        const ConfigurationFileResult r2 = WriteConfigurationFile(inMissingFolder, image, english);
        QVERIFY(!r2.ok);
        QVERIFY(r2.message.contains(QStringLiteral("x.tvk")));
    }

    void workspaceOpensAndSaves() {
        ScriptedInteraction interaction;
        Workspace ws(interaction, nullptr);
        ws.setLanguageOffset(1000);
        fill(ws.image, ws.table);
        ws.image.setValue(31, 1, 0x41);
        const QString path = m_dir.filePath(QStringLiteral("a-rather-long-file-name.tvk"));
        QSignalSpy named(&ws, &Workspace::configurationFileNameChanged);
        QVERIFY(ws.SaveConfigurationFile(path).ok);
        QCOMPARE(ws.ConfigurationFileName, ShortenedPath(path));
        QCOMPARE(named.size(), 1);

        // A file that ends after the attributes: the feature code is shown, nothing else runs.
        QByteArray bytes = readFile(path);
        const QString cutPath = m_dir.filePath(QStringLiteral("cut.tvk"));
        QVERIFY(writeFile(cutPath, bytes.left(bytes.indexOf("\"Dimension\""))));
        QSignalSpy feature(&ws, &Workspace::featureCodeShown);
        QSignalSpy loaded(&ws, &Workspace::configurationLoaded);
        ws.image.setValue(31, 1, 0x10);
        DecodeAttributes(ws.identification, 0x10);
        QVERIFY(!ws.OpenConfigurationFile(cutPath).ok);
        QCOMPARE(feature.size(), 1);
        QCOMPARE(feature[0][0].toString(), QStringLiteral("Device feature code:  A1 B2"));
        QCOMPARE(feature[0][1].toInt(), 4);
        QCOMPARE(ws.table[10].Name, QStringLiteral("Begin scale cont. in"));
        QVERIFY(loaded.isEmpty());
        QCOMPARE(ws.ConfigurationFileName, ShortenedPath(path));

        QVERIFY(ws.OpenConfigurationFile(path).ok);
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(named.size(), 2);

        // The menu commands: cancel does nothing, a name without suffix gets ".tvk", a failure
        // is shown.
        QVERIFY(!ws.SaveConfigurationCommand());
        interaction.fileNames = {m_dir.filePath(QStringLiteral("plain"))};
        QVERIFY(ws.SaveConfigurationCommand());
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("plain.tvk"))));
        interaction.fileNames = {cutPath};
        QVERIFY(!ws.OpenConfigurationCommand());
        QCOMPARE(interaction.asked.size(), 1);
        QCOMPARE(interaction.asked[0].title, QStringLiteral("Error"));
        QVERIFY(interaction.asked[0].text.contains(QStringLiteral("cut.tvk")));
    }

    void parseItem_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QVariant>("item");
        QTest::newRow("quoted name") << "\"Setpoint 2\"" << QVariant(QStringLiteral("Setpoint 2"));
        QTest::newRow("whole number") << "6000" << QVariant(6000);
        QTest::newRow("negative") << "-100" << QVariant(-100);
        QTest::newRow("fraction") << "-12.5" << QVariant(-12.5);
        QTest::newRow("no leading digit") << ".5" << QVariant(0.5);
        QTest::newRow("exponent") << "1e-05" << QVariant(1e-05);
        QTest::newRow("leading blank") << " 7" << QVariant(7);
        QTest::newRow("text") << "abc" << QVariant(QStringLiteral("abc"));
        QTest::newRow("comma is no decimal separator") << "1,5" << QVariant(QStringLiteral("1,5"));
    }
    void parseItem() {
        QFETCH(QString, line);
        QFETCH(QVariant, item);
        const QVariant parsed = ConfigurationFile::parseItem(line);
        QCOMPARE(parsed.typeId(), item.typeId());
        QCOMPARE(parsed, item);
    }

    void shortenedPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        QTest::newRow("28 characters") << "/home/user/configs/abcd1.tvk"
                                       << "/home/user/configs/abcd1.tvk";
        QTest::newRow("29 characters") << "/home/user/configs/abcde1.tvk"
                                       << "...e/user/configs/abcde1.tvk";
    }
    void shortenedPath() {
        QFETCH(QString, path);
        QFETCH(QString, shown);
        QCOMPARE(ShortenedPath(path), shown);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_ConfigurationFile)
#include "tst_configurationfile.moc"
