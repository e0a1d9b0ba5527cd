#pragma once

#include "device/DeviceImage.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <optional>

// A WLD file carries the controller's parameter memory image as one data block of a
// higher-level automation system, with the block's header fields around it:
//   36-byte header (numbers big-endian): mark 70 70, block number, file length, a time stamp
//     (milliseconds since midnight and days since 1 January 1984), text offset, data length;
//   the data, 768 bytes (or 640 in older files), every pair of bytes swapped against the memory
//     image, so its little-endian words stand big-endian in the file;
//   a footer with the block number (little-endian), author, family, name and version.
// The program writes 860 bytes: 36 header, 768 data, 56 footer.

// The block time as the WLD window shows it: seconds, minutes, hours, day, month, year - 1984.
using WldBlockTime = std::array<quint8, 6>;

// The block's header fields. Texts are up to 8 bytes each (a file fills them up with zero
// bytes, which are not kept).
struct WldHeaderFields {
    quint16 BlockNumber = 0; // "DB-Nr."
    quint8 BlockVersion = 0;
    QByteArray BlockAuthor;
    QByteArray BlockFamily;
    QByteArray BlockName;
    WldBlockTime BlockTime{0, 0, 0, 1, 1, 0}; // 1 January 1984, 00:00:00

    bool operator==(const WldHeaderFields&) const = default;
};

// The time stamp of the file header.
struct WldStamp {
    quint32 milliseconds = 0; // since midnight
    quint16 days = 0;         // since 1 January 1984

    bool operator==(const WldStamp&) const = default;
};

// Block time and stamp both ways (1 January 1985 is day 366; 59 999 499 ms is 16:39:59). Time
// fields outside their ranges are limited first (month 1..12, day 1..31, hours 0..23, minutes and
// seconds 0..59); a stamp beyond a day still gives hours 0..23.
WldStamp wldStampOf(const WldBlockTime& time);
WldBlockTime wldTimeOfStamp(const WldStamp& stamp);
// The PC clock as a block time; years outside 1984..2099 are limited to that range.
WldBlockTime wldTimeOf(const QDateTime& when);
// "2024-12-05 13:45:10".
QString wldTimeText(const WldBlockTime& time);
// A "YYYY-MM-DD hh:mm:ss" text as a block time (year 1984..2239); empty when malformed.
std::optional<WldBlockTime> wldTimeOfText(const QString& text);

// A header text as the WLD window shows it: only the bytes 33..127 (blanks and bytes from 128
// on are left out).
QString wldTextShown(const QByteArray& bytes);
// An entered header text as stored: at most 8 characters of printable ASCII without blanks
// (33..126, what the window can show again). Empty, with *why set, for anything else.
std::optional<QByteArray> wldTextBytes(const QString& text, QString* why = nullptr);

namespace WldFile {
constexpr int HeaderSize = 36;
constexpr int DataSize = 768;
constexpr int ShortDataSize = 640; // older files: no block table, no unused tail
constexpr int FooterSize = 56;
constexpr int WrittenSize = HeaderSize + DataSize + FooterSize; // 860
constexpr int TextOffset = 20; // of author, family, name and version inside the footer
// The file dialogs' filter.
QString filter();
} // namespace WldFile

// A WLD file as read and checked, before anything of the program changes.
struct WldContent {
    WldHeaderFields fields; // BlockTime only when hasTime
    int timeKind = 5;       // 5 converted stamp, 1 raw time bytes, others: no time
    bool hasTime = true;
    int dataLength = WldFile::DataSize;
    // The memory image of the file. A 640-byte file gets the default parameter-block table at
    // 640..735; 736..767 are 0xFF.
    MemoryImage memory;
    QByteArray footer; // every footer byte of the file (n + 1 bytes)
    int textOffset = WldFile::TextOffset;
};

// Checks the whole file before anything is taken from it: block mark 70 70, byte 3 = 1, byte 5 =
// 0x0A, bytes 8, 9, 30..32 = 0, byte 33 = 0 or 1, data length 768 or 640, a footer of 44..2048
// bytes with the texts inside it, and a file at least as long as its header says. Empty, with
// *why saying which check failed, when it is not a valid WLD file.
std::optional<WldContent> parseWldFile(const QByteArray& bytes, QString* why = nullptr);

// The 860 bytes of the file the program writes for this memory image (CRC as stored in it) and
// these header fields.
QByteArray wldFileBytes(const MemoryImage& memory, const WldHeaderFields& fields);

struct WldFileResult {
    bool ok = false;
    // For the user when !ok. For a file that was read but is not a WLD file, invalid is true and
    // message says which check failed (the program shows text 459, "Invalid WLD file").
    QString message;
    bool invalid = false;
    std::optional<WldContent> content; // what was read
};

// Reads and checks a file: regular files only, of at most 65535 bytes (the longest a WLD file
// can say it is).
WldFileResult readWldFile(const QString& path);
// Writes the file atomically: a failed save leaves an existing file as it was.
WldFileResult writeWldFile(const QString& path, const MemoryImage& memory,
                           const WldHeaderFields& fields);
