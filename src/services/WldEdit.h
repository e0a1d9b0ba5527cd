#pragma once

#include "services/WldFile.h"

#include <QDateTime>
#include <QString>

enum class WldTextField { Author, Family, Name };

// The WLD window's fields over a window-local copy of the header fields. The window fills its
// fields from here when it opens (in save mode after takeClock with the PC clock) and after its
// own buttons, and passes every field it leaves to the matching set function, which limits the
// value and returns the text the field shows from then on. Nothing of the program changes until
// the copy is used: by the save (Workspace::SaveWldFile) or the take-over of a loaded file.
class WldHeaderEdit {
public:
    explicit WldHeaderEdit(const WldHeaderFields& start) : m_fields(start) {}

    const WldHeaderFields& fields() const { return m_fields; }

    QString blockNumberText() const; // "DB-Nr.", at least three digits
    QString versionText() const;     // at least two digits
    QString text(WldTextField field) const;
    // Time field 0 seconds, 1 minutes (two digits each), 2 hours, 3 day, 4 month, 5 year.
    QString timeText(int field) const;

    // A text that is not a whole number leaves the value as it was. Block number 0..65535,
    // version 0..255; time fields: seconds and minutes 0..59, hours 0..23, day 1..31, month
    // 1..12, year 2000..2099.
    QString setBlockNumber(const QString& text);
    QString setVersion(const QString& text);
    QString setTimeField(int field, const QString& text);
    // At most 8 characters of printable ASCII without blanks (longer texts are cut to 8). False,
    // with the field unchanged and *why set, for other characters.
    bool setText(WldTextField field, const QString& text, QString* why = nullptr);
    // "<=  PC-Time".
    void takeClock(const QDateTime& now) { m_fields.BlockTime = wldTimeOf(now); }

private:
    WldHeaderFields m_fields;
};
