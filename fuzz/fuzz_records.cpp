// The alarm-history and logger decoders and the tables built from what they decode: the entry
// of a 0x2E reply, the grid texts, the explanation of every cell, the change log and the CSV;
// the logger heading with its calendar arithmetic on any six clock bytes, the sample lines and
// the CSV. Whatever the bytes, nothing crashes and every table ends its lines with CR LF.
#include "i18n/StringTable.h"
#include "services/AlarmHistory.h"
#include "services/DataLogger.h"

#include <QRegularExpression>

#include <cstdint>

namespace {
void check(bool condition) {
    if (!condition)
        __builtin_trap();
}

// Every line ends with CR LF, and the text does too (or is empty).
void checkLines(const QString& text) {
    check(text.isEmpty() || text.endsWith(QStringLiteral("\r\n")));
    check(text.count(u'\n') == text.count(QStringLiteral("\r\n")));
}

struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    int next() { return at < size ? data[at++] : 0; }
    int word() { return next() + 256 * next(); }
    bool more() const { return at < size; }
};

void history(Bytes& in, const Texts& texts) {
    AlarmHistory history;
    // A reply to 0x2E each 42 bytes; a set bit 0 of the first byte gives it the frame of one,
    // so that the decoder's words and times are reached as well as its refusals. Four entries
    // reach every pass of the change log; more only make each input slower.
    while (in.more() && history.entries.size() < 4) {
        const bool framed = in.next() & 1;
        ReplyArray reply{};
        for (int k = 1; k <= 42; ++k)
            reply[size_t(k)] = in.next();
        if (framed) {
            reply[1] = reply[4] = 0x68;
            reply[2] = reply[3] = 36;
            reply[7] = 0x2E;
            reply[42] = 0x16;
        }
        const std::optional<AlarmHistoryEntry> entry = decodeHistoryEntry(reply);
        check(entry.has_value() || !framed);
        if (entry)
            history.entries.append(*entry);
    }
    history.announced = int(history.entries.size()) + in.next() % 3;
    for (int row = -1; row <= history.rowCount(); ++row)
        for (int column = -1; column <= AlarmHistory::Columns; ++column) {
            history.cellText(row, column, texts);
            const CellExplanation x = explainCell(history, row, column, texts);
            check(x.what.isEmpty() != history.isDataCell(row, column));
        }
    checkLines(historyChangeLog(history.entries, texts));
    checkLines(historyCsv(history.entries, QStringLiteral("Q7400")));
}

void logger(Bytes& in) {
    static const QRegularExpression timeText(QStringLiteral("^\\d+\\.\\d\\d$"));
    LoggerRecording r;
    r.cycleTenths = in.word();
    r.count = in.word();
    ClockStamp end;
    end.second = in.next();
    end.minute = in.next();
    end.hour = in.next();
    end.day = in.next();
    end.month = in.next();
    end.year = in.next();
    r.end = end;
    const int temperatures = (in.next() & 1) ? 8 : 4;
    while (in.more() && r.samples.size() < 4) {
        LoggedSample s;
        for (int k = 0; k < 17; ++k) {
            const int w = in.word();
            (k < temperatures ? s.temperatures : s.values).append(w > 32767 ? w - 65536 : w);
        }
        r.samples.append(s);
    }
    const QString heading = loggerHeading(r.count, r.cycleTenths, end);
    check(heading.endsWith(QStringLiteral("\r\n\r\n")));
    check(heading.contains(QStringLiteral("  ?  ")) ==
          (r.count > 0 && !end.toDateTime().isValid()));
    for (int s = 0; s < r.samples.size(); ++s) {
        check(timeText.match(loggerTimeText(s, r.cycleTenths)).hasMatch());
        checkLines(loggerSampleText(s, r.cycleTenths, r.samples[s]));
    }
    check(timeText.match(loggerTimeText(65535, r.cycleTenths)).hasMatch());
    checkLines(loggerTableText(r));
    checkLines(loggerCsv(r, QStringLiteral("Q7400")));
}
} // namespace

// Input: the language and which decoder (first byte), then its bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    static Texts texts[4];
    Texts& language = texts[data[0] & 3];
    language.setLanguageOffset(1000 * (data[0] & 3));
    Bytes in{data + 1, size - 1};
    if (data[0] & 4)
        logger(in);
    else
        history(in, language);
    return 0;
}
