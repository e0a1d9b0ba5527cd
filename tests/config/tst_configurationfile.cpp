#include "app/Workspace.h"
#include "config/ConfigurationFile.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "device/RowCodec.h"
#include "i18n/StringTable.h"
#include "support/ScriptedInteraction.h"
#include "support/TestFiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

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

    // Saved in the file's layout: CRLF lines, quoted names, the values of each entry.
    void layout() {
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
    }

    // Read back as saved. Entries are matched by position, so a German file opens in an English
    // program; sensor types are reduced for linear modules, and numbers beyond the int range
    // where a byte is expected are clamped, not converted with undefined behaviour.
    void openedAsSaved_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<double>("attributes");
        QTest::addColumn<double>("sensor");
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("feature");
        QTest::addColumn<double>("loadedSensor");
        QTest::newRow("English file") << 1000 << 64.0 << 7.0 << 3 << 1 << 7.0;
        QTest::newRow("German file") << 0 << 64.0 << 7.0 << 3 << 1 << 7.0;
        QTest::newRow("linear module") << 1000 << 65.0 << 6.0 << 2 << 1 << 2.0;
        QTest::newRow("beyond the int range") << 1000 << 1e300 << -1e300 << 0 << 3 << 0.0;
    }
    void openedAsSaved() {
        QFETCH(int, language);
        QFETCH(double, attributes);
        QFETCH(double, sensor);
        const ParameterTable table = tableIn(language);
        DeviceImage saved;
        fill(saved, table);
        saved.setValue(31, 1, attributes);
        for (int k = 1; k <= 8; ++k)
            saved.setValue(33, k, sensor);
        const QString path = m_dir.filePath(QStringLiteral("saved.tvk"));
        QVERIFY(WriteConfigurationFile(path, saved, table).ok);
        if (language == 0)
            QVERIFY(readFile(path).startsWith("\"1. Grenzwert oben\"\r\n"));

        DeviceImage loaded;
        loaded.clear();
        loaded.setValue(0, 1, 4711); // entry 0 is not in the file
        Identification id;
        const ConfigurationFileResult r = ReadConfigurationFile(path, loaded, id, tableIn(1000));
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(r.entriesRead, 55);
        QVERIFY(r.attributesDecoded);
        QTEST(id.ModuleVariant, "variant");
        QTEST(id.FeatureA, "feature");
        for (int p = 1; p <= 55; ++p)
            for (int k = 1; k <= 21 && p != 31; ++k)
                if (p != 33 || k > 8)
                    QCOMPARE(loaded.value(p, k), saved.value(p, k));
        for (int k = 1; k <= 8; ++k)
            QTEST(loaded.value(33, k), "loadedSensor");
        QCOMPARE(loaded.value(0, 1), 4711.0);
    }

    // A file that ends early or cannot be used changes nothing; the message says where.
    void fileThatCannotBeLoadedChangesNothing_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("ends inside entry 36") << "short.tvk"
                                              << "entry 36 (I/O config.)";
        QTest::newRow("missing") << "none.tvk"
                                 << "none.tvk";
        QTest::newRow("FIFO") << "fifo.tvk"
                              << "a FIFO, not a regular file";
        QTest::newRow("device") << "/dev/zero"
                                << "a device, not a regular file";
        QTest::newRow("folder") << "folder.tvk"
                                << "a folder, not a regular file";
        QTest::newRow("too large") << "large.tvk"
                                   << "too large";
    }
    void fileThatCannotBeLoadedChangesNothing() {
        QFETCH(QString, file);
        QFETCH(QString, message);
        const ParameterTable english = tableIn(1000);
        DeviceImage saved;
        saved.clear();
        saved.setValue(31, 1, 0x41);
        const QString path = file.startsWith(u'/') ? file : m_dir.filePath(file);
        const QString shortFile = m_dir.filePath(QStringLiteral("short.tvk"));
        QVERIFY(WriteConfigurationFile(shortFile, saved, english).ok);
        // Cut inside entry 36 (I/O config.): after its name and five of its values.
        QByteArray bytes = readFile(shortFile);
        qsizetype cut = bytes.indexOf("\"I/O config.\"\r\n");
        for (int i = 0; i < 6; ++i)
            cut = bytes.indexOf('\n', cut) + 1;
        QVERIFY(writeFile(shortFile, bytes.left(cut)));
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("large.tvk")),
                          QByteArray(2 << 20, '1').replace(1000, 1, "\n")));
        QDir(m_dir.path()).mkdir(QStringLiteral("folder.tvk"));
        ::mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("fifo.tvk"))).constData(), 0600);

        DeviceImage loaded;
        fill(loaded, english);
        Identification id;
        const ConfigurationFileResult r = ReadConfigurationFile(path, loaded, id, english);
        QVERIFY(!r.ok);
        QVERIFY(!r.attributesDecoded);
        QVERIFY2(r.message.contains(message), qPrintable(r.message));
        QVERIFY2(r.message.contains(QFileInfo(file).fileName()), qPrintable(r.message));
        DeviceImage untouched;
        fill(untouched, english);
        for (int p = 1; p <= 55; ++p)
            for (int k = 1; k < DeviceImage::Columns; ++k)
                QCOMPARE(loaded.cell(p, k), untouched.cell(p, k));
        QCOMPARE(id.ModuleVariant, Identification{}.ModuleVariant);
    }

    // Values that are not numbers load as the file holds them and are listed; a number beyond
    // any range is never taken for 0: the write to the controller and the save refuse it.
    void valuesThatAreNotNumbers() {
        ScriptedInteraction interaction;
        Workspace ws(interaction, nullptr);
        ws.setLanguageOffset(1000);
        const QString path = savedFile(m_dir, QStringLiteral("text.tvk"), ws.image, ws.table);
        QVERIFY(!path.isEmpty());
        QByteArray bytes = readFile(path);
        bytes.replace("\r\n101\r\n", "\r\nabc\r\n");
        bytes.replace("\r\n202\r\n", "\r\n\"12.5 mm\"\r\n");
        bytes.replace("\r\n703\r\n", "\r\n1e400\r\n");
        QVERIFY(writeFile(path, bytes));

        interaction.fileNames = {path};
        QVERIFY(ws.OpenConfigurationCommand());
        QCOMPARE(ws.image.cell(1, 1), QVariant(QStringLiteral("abc")));
        QCOMPARE(ws.image.value(2, 2), 12.5);
        QCOMPARE(ws.image.value(7, 3), qInf());
        QCOMPARE(interaction.asked.size(), 1);
        const QString listed = interaction.asked[0].text;
        QVERIFY2(listed.contains(QStringLiteral("1 AL1 upper limit, 1: \"abc\"")),
                 qPrintable(listed));
        QVERIFY(listed.contains(QStringLiteral("2 AL1 lower limit, 2: \"12.5 mm\"")));
        QVERIFY(listed.contains(QStringLiteral("too large")));
        QVERIFY(listed.contains(QStringLiteral("7 Max. setpoint, 3: \"1e400\"")));

        WriteRefusal refusal;
        QVERIFY(!encodeWriteData(ws.table, ws.image, ws.memory, 7, &refusal));
        QVERIFY2(refusal.text.contains(QStringLiteral("(row 7), value 3: 1e400")),
                 qPrintable(refusal.text));
        const ConfigurationFileResult saved = WriteConfigurationFile(path, ws.image, ws.table);
        QVERIFY(!saved.ok);
        QVERIFY2(saved.message.contains(QStringLiteral("entry 7 (Max. setpoint), value 3")),
                 qPrintable(saved.message));
        QCOMPARE(readFile(path), bytes);

        ws.image.setValue(7, 3, 703);
        QVERIFY(WriteConfigurationFile(path, ws.image, ws.table).ok);
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

        QSignalSpy feature(&ws, &Workspace::featureCodeShown);
        QSignalSpy loaded(&ws, &Workspace::configurationLoaded);
        DecodeAttributes(ws.identification, 0x10);
        QVERIFY(ws.OpenConfigurationFile(path).ok);
        QCOMPARE(feature.size(), 1);
        QCOMPARE(feature[0][0].toString(), QStringLiteral("Device feature code:  A1 B2"));
        QCOMPARE(feature[0][1].toInt(), 4);
        QCOMPARE(ws.table[10].Name, QStringLiteral("Begin scale cont. in"));
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(named.size(), 2);

        // The menu commands: cancel does nothing, a name without suffix gets ".tvk", a failure
        // is shown.
        QVERIFY(!ws.SaveConfigurationCommand());
        interaction.fileNames = {m_dir.filePath(QStringLiteral("plain"))};
        QVERIFY(ws.SaveConfigurationCommand());
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("plain.tvk"))));
        const QString cutPath = m_dir.filePath(QStringLiteral("cut.tvk"));
        QVERIFY(writeFile(cutPath, readFile(path).left(100)));
        interaction.fileNames = {cutPath};
        QVERIFY(!ws.OpenConfigurationCommand());
        QCOMPARE(interaction.asked.size(), 1);
        QCOMPARE(interaction.asked[0].title, QStringLiteral("Error"));
        QVERIFY(interaction.asked[0].text.contains(QStringLiteral("cut.tvk")));
        QCOMPARE(loaded.size(), 1);
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
        QTest::newRow("beyond any range") << "1e400" << QVariant(QStringLiteral("1e400"));
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
