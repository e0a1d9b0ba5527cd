// The real QSerialPort over a pseudo-terminal, with a scripted controller on the master side;
// and q7400ctl against the same kind of peer.
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"
#include "link/DeviceServices.h"
#include "link/Link.h"
#include "link/QtSerialPort.h"
#include "link/Telegram.h"
#include "support/ScriptedInteraction.h"

#include <QProcess>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <functional>

namespace {
constexpr int Address = 5;

QByteArray reply(int code, const QByteArray& data) {
    return Telegram::buildLong(0x08, Address, quint8(code), data);
}

// The controller end of a pseudo-terminal. It picks Telegrams out of what it receives (anything
// else, such as the link preparation frames, is only recorded) and answers them through
// `answer`, in chunks of `chunkSize` bytes a few milliseconds apart.
class PtyPeer : public QObject {
public:
    std::function<QByteArray(const QByteArray& frame)> answer;
    QByteArrayList frames;
    QByteArray raw;
    int chunkSize = 7;

    bool open() {
        termios raw{};
        cfmakeraw(&raw);
        char name[256] = {};
        if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0)
            return false;
        m_slavePath = QString::fromLocal8Bit(name);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] { readMaster(); });
        return true;
    }
    ~PtyPeer() override {
        delete m_notifier;
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }
    QString slavePath() const { return m_slavePath; }

private:
    void readMaster() {
        char buffer[512];
        for (;;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            raw.append(buffer, n);
            m_input.append(buffer, n);
        }
        parse();
    }

    void parse() {
        while (!m_input.isEmpty()) {
            const quint8 first = quint8(m_input[0]);
            int length = 0;
            if (first == Telegram::LongStart) {
                if (m_input.size() < 4)
                    return;
                if (m_input[3] == m_input[0] && m_input[1] == m_input[2])
                    length = quint8(m_input[1]) + 6;
            } else if (first == Telegram::ShortStart) {
                if (m_input.size() < 5)
                    return;
                if (Telegram::isValidShort(m_input.left(5)))
                    length = 5;
            }
            if (length == 0) {
                m_input.remove(0, 1);
                continue;
            }
            if (m_input.size() < length)
                return;
            const QByteArray frame = m_input.left(length);
            m_input.remove(0, length);
            frames.append(frame);
            if (answer)
                send(answer(frame));
        }
    }

    void send(const QByteArray& bytes) {
        int delay = 2;
        for (int from = 0; from < bytes.size(); from += chunkSize, delay += 3) {
            const QByteArray chunk = bytes.mid(from, chunkSize);
            QTimer::singleShot(delay, this, [this, chunk] {
                if (::write(m_master, chunk.constData(), size_t(chunk.size())) < 0)
                    qWarning("pty write failed");
            });
        }
    }

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_input;
};

// A controller with firmware 3.6, attributes 0x41 (A1 B2) and two device errors.
QByteArray controller(const QByteArray& frame) {
    if (quint8(frame[0]) == Telegram::ShortStart) {
        if (quint8(frame[1]) != 0x7A)
            return {};
        QByteArray block;
        for (int i = 0; i < 12; ++i)
            block.append(char(i == 8 ? 0x05 : i == 2 ? 0x34 : i)).append(char(i == 2 ? 0x12 : 0));
        return Telegram::buildLong(0x08, Address, quint8(block[0]), block.mid(1));
    }
    switch (quint8(frame[6])) {
    case 53:
        return reply(53, QByteArray(1, char(0x36)));
    case 49:
        return reply(49, QByteArray(1, char(0x41)));
    case 0: {
        QByteArray data = frame.mid(7, 3);
        for (int i = 0; i < 8; ++i)
            data.append(char(i)).append(char(0x10 * i));
        return reply(0, data);
    }
    default:
        return QByteArray::fromHex("1000050516");
    }
}
} // namespace

class TestPtyLink : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    struct Run {
        int status = -1;
        QString out;
        QString err;
    };
    Run runCtl(const QStringList& args, int timeoutMs = 10000) {
        const QString bin = qEnvironmentVariable("Q7400_BIN_DIR");
        QProcess process;
        process.start(bin + QStringLiteral("/q7400ctl"),
                      args + QStringList{QStringLiteral("--settings"),
                                         dir.filePath(QStringLiteral("Q7400n.cfg"))});
        QSignalSpy finished(&process, &QProcess::finished);
        if (!finished.wait(timeoutMs))
            process.kill();
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

private Q_SLOTS:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("Q7400_BIN_DIR"))
            QSKIP("Q7400_BIN_DIR not set");
        QFile settings(dir.filePath(QStringLiteral("Q7400n.cfg")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("19200,e,8,1\n1\n1000\n5\n"); // English, address 5
    }

    void exchangesOverRealPort() {
        PtyPeer peer;
        QVERIFY(peer.open());
        peer.answer = controller;

        QtSerialPort port(peer.slavePath());
        QVERIFY(port.setSettings(QStringLiteral("19200,e,8,1")));
        QVERIFY2(port.open(), qPrintable(port.errorText()));
        QVERIFY(port.setSettings(QStringLiteral("9600,o,8,1"))); // applies to the open port

        ScriptedInteraction interaction;
        Texts texts;
        Link link(interaction, texts);
        link.DeviceAddress = Address;
        link.setPort(&port);
        ParameterTable table;
        table.BuildParameterTable(texts);
        DeviceImage image;
        MemoryImage memory;
        Identification identification;
        DeviceServices services(link, table, image, memory, identification);

        services.PrepareLink();
        QVERIFY(peer.raw.startsWith(QByteArray::fromHex("0010d0057d010100c666")));
        QVERIFY(services.ReadFirmwareVersion());
        QCOMPARE(identification.FirmwareVersion, 0x36);

        services.ReadRequest(0, 1, 8, 0);
        QVERIFY(!link.CommError);
        QCOMPARE(link.ReplyBytes[8], 1);
        QCOMPARE(link.ReplyBytes[9], 8);
        QCOMPARE(link.ReplyBytes[25], 7);
        QCOMPARE(link.ReplyBytes[26], 0x70);
        QCOMPARE(peer.frames.last().toHex(), QByteArray("680606687b05000108008916"));

        link.RequestDeviceErrors();
        QVERIFY(!link.CommError);
        QCOMPARE(link.DeviceErrorWords[2], 0x1234);
        QCOMPARE(link.DeviceErrorWords[8], 5);
        QVERIFY(interaction.asked.isEmpty());
    }

    void missingDevice() {
        QtSerialPort port(QStringLiteral("/dev/q7400-no-such-device"));
        QVERIFY(!port.open());
        QCOMPARE(port.errorNumber(), 8001);
        QVERIFY(openFailureMessage(port.errorNumber(), port.errorText())
                    .startsWith(QStringLiteral("Error 8001  ")));
    }

    // Permission denied names the group that owns the device and how to join it.
    void permissionHintNamesGroup() {
        PtyPeer peer;
        QVERIFY(peer.open());
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(peer.slavePath()).constData(), &info), 0);
        const struct group* g = ::getgrgid(info.st_gid);
        QVERIFY(g);
        const QString hint = permissionHint(peer.slavePath());
        QVERIFY2(hint.contains(QStringLiteral("\"%1\"").arg(QString::fromLocal8Bit(g->gr_name))),
                 qPrintable(hint));
        QVERIFY(hint.contains(QStringLiteral("usermod -aG")));
    }

    void cliProbe() {
        PtyPeer peer;
        QVERIFY(peer.open());
        peer.answer = controller;
        const Run run =
            runCtl({QStringLiteral("probe"), QStringLiteral("--port"), peer.slavePath()});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("Firmware: V3.6\nDevice feature code:  A1 B2\n"));
        QCOMPARE(peer.frames.value(0).toHex(), QByteArray("10ff494816")); // the Q8100 return
    }

    void cliErrors() {
        PtyPeer peer;
        QVERIFY(peer.open());
        peer.answer = controller;
        const Run run = runCtl({QStringLiteral("errors"), QStringLiteral("--port"),
                                peer.slavePath(), QStringLiteral("--lang"), QStringLiteral("de")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("Analogteil-Fehler\nÜbersteuerung HC2\n"
                                         "0000 0001 1234 0003 0004 0005 0006 0007\n"));
        QCOMPARE(peer.frames.last().toHex(), QByteArray("107a057f16"));
    }

    void cliSilentController() {
        PtyPeer peer;
        QVERIFY(peer.open());
        const Run run = runCtl({QStringLiteral("probe"), QStringLiteral("--port"), peer.slavePath(),
                                QStringLiteral("--address"), QStringLiteral("12")});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("No communication possible")),
                 qPrintable(run.err));
        QCOMPARE(run.err.count(QStringLiteral("No communication possible")), 1);
        QCOMPARE(run.out, QString());
        QCOMPARE(peer.frames.size(), 1 + 4); // the Q8100 return, then four read requests
        QCOMPARE(int(quint8(peer.frames.last()[5])), 12);
    }

    void cliUsage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("baud") << QStringList{"probe", "--baud", "1200"} << 2 << "--baud";
        QTest::newRow("parity") << QStringList{"errors", "--parity", "x"} << 2 << "--parity";
        QTest::newRow("address") << QStringList{"probe", "--address", "256"} << 2 << "--address";
        QTest::newRow("port number") << QStringList{"probe", "--port", "17"} << 2 << "--port";
        QTest::newRow("argument") << QStringList{"errors", "now"} << 2 << "takes no arguments";
        QTest::newRow("missing device")
            << QStringList{"probe", "--port", "/dev/q7400-no-such-device"} << 1 << "Error 8001  ";
    }
    void cliUsage() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        const Run run = runCtl(args);
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

    // Without --lang the language comes from the settings file (English here).
    void cliLanguageFromSettings() {
        const Run run = runCtl({QStringLiteral("texts")});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains(QStringLiteral("\n455\tNo communication possible\n")));
    }
};

QTEST_GUILESS_MAIN(TestPtyLink)
#include "tst_ptylink.moc"
