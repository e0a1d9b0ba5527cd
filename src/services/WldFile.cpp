#include "services/WldFile.h"

#include "base/SafeRead.h"
#include "base/SafeWrite.h"
#include "device/ParameterBlocks.h"

#include <QDir>

#include <algorithm>

namespace {
constexpr quint8 kMark = 0x70;
constexpr quint8 kDataBlock = 0x0A;
constexpr int kKindStamp = 5;
constexpr int kKindRaw = 1;
constexpr int kFirstYear = 1984;
constexpr int kLastYear = 2099;
constexpr int kLongestFile = 0xFFFF; // the header's length field has 16 bits
constexpr int kSmallestFooterIndex = 43;
constexpr int kLargestFooterIndex = 2047;
constexpr int kTextLength = 8;

// The footer the program writes, up to the texts (bytes 1..2 take the block number).
constexpr quint8 kFooterStart[WldFile::TextOffset] = {0x05, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00,
                                                      0x11, 0x04, 0x01, 0x10, 0x04, 0x01, 0x00,
                                                      0x00, 0xFF, 0x02, 0x02, 0x04, 0x41};

std::array<int, 12> monthLengths(int yearIndex) {
    return {31, yearIndex % 4 == 0 ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
}

WldBlockTime limited(WldBlockTime t) {
    t[0] = quint8(std::min<int>(t[0], 59));
    t[1] = quint8(std::min<int>(t[1], 59));
    t[2] = quint8(std::min<int>(t[2], 23));
    t[3] = quint8(std::clamp<int>(t[3], 1, 31));
    t[4] = quint8(std::clamp<int>(t[4], 1, 12));
    return t;
}

quint32 bigEndian(const QByteArray& b, int at, int size) {
    quint32 v = 0;
    for (int i = 0; i < size; ++i)
        v = v * 256 + quint8(b[at + i]);
    return v;
}

void putBigEndian(QByteArray& b, int at, quint32 value, int size) {
    for (int i = size - 1; i >= 0; --i, value >>= 8)
        b[at + i] = char(value & 0xFF);
}

// A text field without the zero bytes that fill it up.
QByteArray unpadded(QByteArray text) {
    while (text.endsWith('\0'))
        text.chop(1);
    return text;
}

QByteArray padded(const QByteArray& text) {
    QByteArray b = text.left(kTextLength);
    b.append(QByteArray(kTextLength - b.size(), '\0'));
    return b;
}

std::optional<WldContent> invalid(QString* why, const QString& text) {
    if (why)
        *why = text;
    return std::nullopt;
}
} // namespace

WldStamp wldStampOf(const WldBlockTime& time) {
    const WldBlockTime t = limited(time);
    const int y = t[5];
    const std::array<int, 12> months = monthLengths(y);
    // Int(y * 365.25 + 0.8): the leap days of the years before, 1984 being a leap year.
    int days = (y * 36525 + 80) / 100 + t[3] - 1;
    for (int m = 0; m < t[4] - 1; ++m)
        days += months[size_t(m)];
    const quint32 ms = ((quint32(t[2]) * 60 + t[1]) * 60 + t[0]) * 1000;
    return WldStamp{ms, quint16(std::min(days, 0xFFFF))};
}

WldBlockTime wldTimeOfStamp(const WldStamp& stamp) {
    const int d = stamp.days;
    const int y = (d * 1000 + 1) / 365250; // Int((d + 0.001) / 365.25)
    const std::array<int, 12> months = monthLengths(y);
    int r = d - 365 * y - (y + 3) / 4;
    int m = 0;
    while (m < 11 && r >= months[size_t(m)])
        r -= months[size_t(m++)];
    // A stamp past the end of a day still names a time of that day.
    const quint32 s = quint32(std::min<quint64>((quint64(stamp.milliseconds) + 500) / 1000, 86399));
    return limited({quint8(s % 60), quint8(s / 60 % 60), quint8(s / 3600),
                    quint8(std::clamp(r + 1, 1, 31)), quint8(m + 1), quint8(y)});
}

WldBlockTime wldTimeOf(const QDateTime& when) {
    const QDate d = when.date();
    const QTime t = when.time();
    return {quint8(t.second()), quint8(t.minute()),
            quint8(t.hour()),   quint8(d.day()),
            quint8(d.month()),  quint8(std::clamp(d.year(), kFirstYear, kLastYear) - kFirstYear)};
}

QString wldTimeText(const WldBlockTime& t) {
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(kFirstYear + t[5])
        .arg(t[4], 2, 10, QChar(u'0'))
        .arg(t[3], 2, 10, QChar(u'0'))
        .arg(t[2], 2, 10, QChar(u'0'))
        .arg(t[1], 2, 10, QChar(u'0'))
        .arg(t[0], 2, 10, QChar(u'0'));
}

std::optional<WldBlockTime> wldTimeOfText(const QString& text) {
    QString t = text.trimmed();
    if (t.size() > 10 && t[10] == u'T')
        t[10] = u' ';
    const QDateTime when = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!when.isValid() || when.date().year() < kFirstYear || when.date().year() > kLastYear)
        return std::nullopt;
    return wldTimeOf(when);
}

QString wldTextShown(const QByteArray& bytes) {
    QString text;
    for (char c : bytes)
        if (quint8(c) >= 33 && quint8(c) <= 127)
            text.append(QChar(quint8(c)));
    return text;
}

std::optional<QByteArray> wldTextBytes(const QString& text, QString* why) {
    QByteArray bytes;
    for (QChar c : text.left(kTextLength)) {
        if (c.unicode() < 33 || c.unicode() > 126) {
            if (why)
                *why = QStringLiteral("Only letters, digits and signs of ASCII are possible "
                                      "here, without blanks: \"%1\".")
                           .arg(c);
            return std::nullopt;
        }
        bytes.append(char(c.unicode()));
    }
    return bytes;
}

QString WldFile::filter() {
    return QStringLiteral("WLD Files (*.wld);;All Files (*)");
}

std::optional<WldContent> parseWldFile(const QByteArray& b, QString* why) {
    using namespace WldFile;
    if (b.size() < HeaderSize)
        return invalid(
            why, QStringLiteral("the file is shorter than a header (%1 bytes)").arg(b.size()));
    auto at = [&](int i) {
        return quint8(b[i]);
    };
    if (at(0) != kMark || at(1) != kMark)
        return invalid(why, QStringLiteral("no block mark 70 70 at the start"));
    if (at(3) != 1 || at(5) != kDataBlock)
        return invalid(why, QStringLiteral("bytes 3 and 5 are not 01 and 0A"));
    if (at(8) != 0 || at(9) != 0)
        return invalid(why, QStringLiteral("the length field is larger than 65535"));
    if (at(30) != 0 || at(31) != 0 || at(32) != 0 || at(33) > 1)
        return invalid(why, QStringLiteral("bytes 30..33 are not 0 (byte 33 0 or 1)"));
    const int dataLength = int(bigEndian(b, 34, 2));
    if (dataLength != DataSize && dataLength != ShortDataSize)
        return invalid(why, QStringLiteral("data length %1 (768 or 640 expected)").arg(dataLength));
    const int length = int(bigEndian(b, 10, 2));
    const int n = length - 677 - (dataLength == DataSize ? 128 : 0);
    if (n < kSmallestFooterIndex || n > kLargestFooterIndex)
        return invalid(why, QStringLiteral("length %1 leaves a footer of %2 bytes (44..2048)")
                                .arg(length)
                                .arg(n + 1));
    const int textOffset = int(bigEndian(b, 28, 2));
    if (textOffset > n - 32)
        return invalid(why,
                       QStringLiteral("text offset %1 lies beyond the footer").arg(textOffset));
    if (b.size() < length)
        return invalid(
            why,
            QStringLiteral("the file has %1 bytes, its header says %2").arg(b.size()).arg(length));

    WldContent c;
    c.dataLength = dataLength;
    c.textOffset = textOffset;
    c.memory.bytes.fill(0xFF);
    for (int k = 0; k < dataLength; ++k)
        c.memory[k ^ 1] = at(HeaderSize + k);
    if (dataLength == ShortDataSize)
        LoadDefaultRawBlock(c.memory);
    c.footer = b.mid(HeaderSize + dataLength, n + 1);

    WldHeaderFields& f = c.fields;
    f.BlockNumber = quint16(bigEndian(b, 6, 2));
    c.timeKind = at(4);
    c.hasTime = c.timeKind == kKindStamp || c.timeKind == kKindRaw;
    if (c.timeKind == kKindStamp)
        f.BlockTime = wldTimeOfStamp({bigEndian(b, 16, 4), quint16(bigEndian(b, 20, 2))});
    else if (c.timeKind == kKindRaw)
        f.BlockTime = limited({at(21), at(20), at(19), at(18), at(17), at(16)});
    f.BlockAuthor = unpadded(c.footer.mid(textOffset, kTextLength));
    f.BlockFamily = unpadded(c.footer.mid(textOffset + 8, kTextLength));
    f.BlockName = unpadded(c.footer.mid(textOffset + 16, kTextLength));
    f.BlockVersion = quint8(c.footer[textOffset + 24]);
    return c;
}

QByteArray wldFileBytes(const MemoryImage& memory, const WldHeaderFields& f) {
    using namespace WldFile;
    QByteArray b(WrittenSize, '\0');
    b[0] = char(kMark);
    b[1] = char(kMark);
    b[2] = 0x01;
    b[3] = 0x01;
    b[4] = char(kKindStamp);
    b[5] = char(kDataBlock);
    putBigEndian(b, 6, f.BlockNumber, 2);
    putBigEndian(b, 8, WrittenSize, 4);
    const WldStamp stamp = wldStampOf(f.BlockTime);
    for (int copy : {16, 22}) {
        putBigEndian(b, copy, stamp.milliseconds, 4);
        putBigEndian(b, copy + 4, stamp.days, 2);
    }
    putBigEndian(b, 28, TextOffset, 2);
    putBigEndian(b, 34, DataSize, 2);
    for (int k = 0; k < DataSize; ++k)
        b[HeaderSize + k] = char(memory[k ^ 1]);

    const int footer = HeaderSize + DataSize;
    for (int i = 0; i < TextOffset; ++i)
        b[footer + i] = char(kFooterStart[i]);
    b[footer + 1] = char(f.BlockNumber & 0xFF);
    b[footer + 2] = char(f.BlockNumber >> 8);
    b.replace(footer + TextOffset, kTextLength, padded(f.BlockAuthor));
    b.replace(footer + TextOffset + 8, kTextLength, padded(f.BlockFamily));
    b.replace(footer + TextOffset + 16, kTextLength, padded(f.BlockName));
    b[footer + TextOffset + 24] = char(f.BlockVersion);
    return b;
}

WldFileResult readWldFile(const QString& path) {
    WldFileResult result;
    const SafeReadResult read = readRegularFile(path, kLongestFile);
    if (!read.ok) {
        result.message = read.reason; // names the file
        return result;
    }
    const QByteArray& bytes = read.bytes;
    QString why;
    result.content = parseWldFile(bytes, &why);
    if (!result.content) {
        result.invalid = true;
        result.message = QStringLiteral("\"%1\" is not a valid WLD file: %2.")
                             .arg(QDir::toNativeSeparators(path), why);
        return result;
    }
    result.ok = true;
    return result;
}

WldFileResult writeWldFile(const QString& path, const MemoryImage& memory,
                           const WldHeaderFields& fields) {
    WldFileResult result;
    const SafeWriteResult written = writeFileSafely(path, wldFileBytes(memory, fields));
    if (!written.ok) {
        result.message = QStringLiteral("The WLD file \"%1\" could not be written: %2.")
                             .arg(QDir::toNativeSeparators(path), written.reason);
        if (written.opened)
            result.message += QStringLiteral(" An existing file of that name was left unchanged.");
        return result;
    }
    result.ok = true;
    return result;
}
