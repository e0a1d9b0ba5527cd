#pragma once

#include "device/ParameterBlocks.h"

#include <QDateTime>
#include <QString>

// What the parameter-set-ID window continues with after its OK. Write, configuration-file save
// and WLD save show it first on firmware above 0x34 (the last two only there).
enum class ParameterSetIdMode {
    EditOnly = 0,          // the device menu's "Parameter  ID"
    WriteAll = 1,          // then write everything to the controller
    SaveConfiguration = 2, // then save a configuration file
    SaveWld = 3,           // then prepare the WLD save
};

// The parameter-set-ID window's fields over a window-local copy of the ID: nothing of the
// program changes until the copy is committed (Workspace::CommitParameterSetId), so the
// window's Cancel leaves the ID, the device image and the status bar as they were.
//
// Field i is ID byte i: 0 seconds, 1 minutes, 2 hours, 3 day, 4 month, 5 year modulo 100 (the
// window shows them the other way round, year first).
class ParameterSetIdEdit {
public:
    static constexpr int Fields = 6;

    ParameterSetIdEdit(const ParameterSetIdBytes& current, ParameterSetIdMode mode)
        : m_id(current), m_mode(mode) {}

    ParameterSetIdMode mode() const { return m_mode; }
    const ParameterSetIdBytes& id() const { return m_id; }

    // "07": the field's byte as a two-digit number.
    QString fieldText(int field) const;
    // A field was left: its whole number limited to 0..99 becomes the byte (123 gives 99); a
    // text that is not a whole number leaves the byte as it was. Returns the field's new text.
    QString setFieldText(int field, const QString& text);
    // "<=  PC-Time": the six bytes from the PC clock.
    void takeClock(const QDateTime& now) { m_id = parameterSetIdFromDateTime(now); }

private:
    ParameterSetIdBytes m_id;
    ParameterSetIdMode m_mode;
};
