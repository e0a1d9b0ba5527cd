#include "link/PortSettings.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestPortSettings : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Q7400n.cfg")); }

private Q_SLOTS:
    void cleanup() { QFile::remove(path()); }

    void fileContents_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("address");
        QTest::newRow("all four lines")
            << QByteArray("9600,o,8,1\n4\n1000\n17\n") << true << "9600,o,8,1"
            << "4" << 1000 << 17;
        QTest::newRow("blanks and CRLF are harmless")
            << QByteArray(" 38400,n,8,1 \r\n 2 \r\n 3000\r\n 255 \r\n") << true << "38400,n,8,1"
            << "2" << 3000 << 255;
        QTest::newRow("last line without line break")
            << QByteArray("4800,s,8,1\n3\n2000\n0") << true << "4800,s,8,1"
            << "3" << 2000 << 0;
        QTest::newRow("unknown language offset falls back to German")
            << QByteArray("19200,e,8,1\n1\n500\n3\n") << true << "19200,e,8,1"
            << "1" << 0 << 3;
        QTest::newRow("device path for a pseudo-terminal")
            << QByteArray("19200,e,8,1\n/dev/pts/7\n1000\n3\n") << true << "19200,e,8,1"
            << "/dev/pts/7" << 1000 << 3;
        QTest::newRow("address out of range takes the default")
            << QByteArray("19200,e,8,1\n1\n0\n300\n") << true << "19200,e,8,1"
            << "1" << 0 << 3;
        QTest::newRow("ends early: defaults")
            << QByteArray("9600,o,8,1\n4\n1000\n") << false << "19200,e,8,1"
            << "1" << 0 << 3;
        QTest::newRow("empty file: defaults") << QByteArray("") << false << "19200,e,8,1"
                                              << "1" << 0 << 3;
        QTest::newRow("first run: no file") << QByteArray() << false << "19200,e,8,1"
                                            << "1" << 0 << 3;
        // Numbers beyond any int are clamped, never converted with undefined behaviour.
        QTest::newRow("huge numbers")
            << QByteArray("19200,e,8,1\n99999999999999999999\n1e300\n-1e400\n") << true
            << "19200,e,8,1"
            << "2147483647" << 0 << 3;
    }
    void fileContents() {
        QFETCH(QByteArray, content);
        QFETCH(bool, complete);
        QFETCH(QString, settings);
        QFETCH(QString, port);
        QFETCH(int, language);
        QFETCH(int, address);
        QVERIFY(content.isNull() || writeFile(path(), content));
        bool wasComplete = !complete;
        const PortSettings read = readPortSettings(path(), &wasComplete);
        QCOMPARE(wasComplete, complete);
        QCOMPARE(QFile::exists(path()), !content.isNull()); // reading alone changes nothing
        QCOMPARE(readFile(path()), content);

        QString error;
        const PortSettings s = loadPortSettings(path(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(s, read);
        QCOMPARE(s.SettingsText, settings);
        QCOMPARE(s.PortNumber, port);
        QCOMPARE(s.LanguageOffset, language);
        QCOMPARE(s.DeviceAddress, address);
        // A short file is rewritten with the defaults, a complete one left alone.
        QCOMPARE(readFile(path()), complete ? content : QByteArray("19200,e,8,1\n1\n0\n3\n"));
    }

    // A settings file that is not a regular file, or far too large for one, is neither waited
    // on nor read whole; it is reported and left alone, and the defaults are used.
    void unusableFileIsLeftAlone_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("FIFO") << "fifo"
                              << "a FIFO, not a regular file";
        QTest::newRow("folder") << "folder"
                                << "a folder, not a regular file";
        QTest::newRow("one 8 MB line") << "large"
                                       << "too large";
    }
    void unusableFileIsLeftAlone() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString file = dir.filePath(kind);
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir(dir.path()).mkdir(kind));
        else
            QVERIFY(writeFile(file, QByteArray(8 << 20, '9')));
        QString error;
        QCOMPARE(loadPortSettings(file, &error), PortSettings{});
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(error.contains(file));
        if (kind == QLatin1String("large")) {
            QCOMPARE(QFileInfo(file).size(), qint64(8 << 20));
            return;
        }
        // Saving onto it is refused by name, and it stays what it is.
        QVERIFY(!savePortSettings(file, PortSettings{}, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(!QFileInfo(file).isFile());
    }

    // A saved file keeps its symbolic link, and root keeps another user's file theirs.
    void saveKeepsLinkAndOwner() {
        const QString target = dir.filePath(QStringLiteral("real.cfg"));
        const QString link = dir.filePath(QStringLiteral("link.cfg"));
        QVERIFY(writeFile(target, "old\n"));
        QVERIFY(QFile::link(target, link));
        const bool root = ::geteuid() == 0;
        if (root)
            QCOMPARE(::chown(QFile::encodeName(target).constData(), 65534, 65534), 0);
        QVERIFY(savePortSettings(link, PortSettings{}));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readFile(target), QByteArray("19200,e,8,1\n1\n0\n3\n"));
        if (root) {
            struct stat info {};
            QCOMPARE(::stat(QFile::encodeName(target).constData(), &info), 0);
            QCOMPARE(int(info.st_uid), 65534);
            QCOMPARE(int(info.st_gid), 65534);
        }
    }

    void saveAndReadBack() {
        PortSettings s;
        s.setBaudRate(QStringLiteral("4800"));
        s.setParity(QStringLiteral("n"));
        s.PortNumber = QStringLiteral("/dev/serial/by-id/usb-FTDI-if00-port0");
        s.LanguageOffset = 2000;
        s.DeviceAddress = 200;
        QCOMPARE(s.SettingsText, QStringLiteral("4800,n,8,1"));
        const QString nested = dir.filePath(QStringLiteral("config/q7400/Q7400n.cfg"));
        QVERIFY(savePortSettings(nested, s));
        QCOMPARE(readPortSettings(nested), s);
    }

    void saveFailureIsReported() {
        QString error;
        const QString blocked = dir.filePath(QStringLiteral("file"));
        QVERIFY(writeFile(blocked, "x"));
        QVERIFY(!savePortSettings(blocked + QStringLiteral("/Q7400n.cfg"), {}, &error));
        QVERIFY(error.contains(QStringLiteral("Q7400n.cfg")));

        // A file-size limit cuts the write short like a full disk (root ignores permissions):
        // reported, and the old file is kept rather than replaced by a truncated one.
        const QByteArray old("9600,o,8,1\n4\n1000\n17\n");
        QVERIFY(writeFile(path(), old));
        PortSettings s;
        s.PortNumber = QStringLiteral("/dev/serial/by-id/usb-FTDI-if00-port0");
        error.clear();
        bool saved = true;
        {
            FileSizeLimit limit(16);
            saved = savePortSettings(path(), s, &error);
        }
        QVERIFY(!saved);
        QVERIFY2(error.contains(QStringLiteral("Q7400n.cfg")), qPrintable(error));
        QCOMPARE(readFile(path()), old);
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left.filter(QStringLiteral("Q7400n")), QStringList{QStringLiteral("Q7400n.cfg")});
    }

    void settingsText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("baud");
        QTest::addColumn<char>("parity");
        QTest::newRow("default") << "19200,e,8,1" << true << 19200 << 'e';
        QTest::newRow("odd") << "9600,o,8,1" << true << 9600 << 'o';
        QTest::newRow("space") << "4800,s,8,1" << true << 4800 << 's';
        QTest::newRow("upper case none") << "38400,N,8,1" << true << 38400 << 'n';
        QTest::newRow("unknown parity") << "19200,x,8,1" << false << 0 << ' ';
        QTest::newRow("no baud rate") << ",e,8,1" << false << 0 << ' ';
        QTest::newRow("too few parts") << "19200,e" << false << 0 << ' ';
        QTest::newRow("nine data bits") << "19200,e,9,1" << false << 0 << ' ';
    }
    void settingsText() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, baud);
        QFETCH(char, parity);
        SerialLineSettings s;
        QCOMPARE(parseSettingsText(text, &s), valid);
        if (valid) {
            QCOMPARE(s.baud, baud);
            QCOMPARE(s.parity, parity);
            QCOMPARE(s.dataBits, 8);
            QCOMPARE(s.stopBits, 1);
        }
    }

    void portNumbering() {
        const QStringList devices = {"/dev/ttyS10", "/dev/ttyS1",   "/dev/ttyUSB1", "/dev/ttyACM0",
                                     "/dev/ttyS0",  "/dev/ttyUSB0", "/dev/ttyAMA0", "/dev/ttyS2"};
        const QList<QPair<QString, QString>> byId = {
            {"/dev/ttyUSB1", "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"}};
        const QStringList expected = {
            "/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0",
            "/dev/ttyACM0", "/dev/ttyS0",
            "/dev/ttyS1",   "/dev/ttyS2",
            "/dev/ttyS10",  "/dev/ttyAMA0"};
        QCOMPARE(orderSerialDevices(devices, byId), expected);
        QCOMPARE(resolvePortDevice(QStringLiteral(" /dev/pts/3 ")), QStringLiteral("/dev/pts/3"));
        QCOMPARE(serialPortDevice(0), QString());
        QCOMPARE(serialPortDevice(17), QString());
    }

    // A build folder keeps its settings; an installed tree's bin folder never does, even when
    // it may be written to.
    void settingsBesideInstalledProgram() {
        QTemporaryDir prefix;
        const QString bin = prefix.filePath("bin");
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(settingsBesideProgram(bin));
        QVERIFY(QDir().mkpath(prefix.filePath("share/applications")));
        QFile entry(prefix.filePath("share/applications/q7400-config.desktop"));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.close();
        QVERIFY(!settingsBesideProgram(bin));
    }
};

QTEST_GUILESS_MAIN(TestPortSettings)
#include "tst_portsettings.moc"
