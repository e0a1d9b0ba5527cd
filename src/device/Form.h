#pragma once

#include "i18n/Captions.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

class DeviceData;
class DeviceImage;
struct Identification;

// How a field shows the raw value of its device-image cell.
enum class DisplayKind {
    Scaled,   // signed word in units of 10^-d, d = Form::decimals(): temperature-like values
    Tenths,   // signed word in tenths, one decimal: 125 shows "12.5" (times, currents)
    Percent,  // signed byte: 236 shows "-20" (output limits)
    Word,     // the value as a whole number: 500 shows "500"
    Hex,      // the value in hexadecimal digits: 0x1F shows "1F"
    Bit,      // one bit of the word (Field::mask): a check box
    BitField, // the bits of Field::mask as a list position: a combo box or option buttons
    Text,     // the cell as it is (names, free text)
};

// Which column of the device image a field edits.
enum class ColumnRule {
    Channel, // the window's channel: column Form::channel() + 1
    Device,  // column 1, where device-wide values live
    Fixed,   // Field::column (e.g. one field per channel of a device-wide window)
};

// What happens to an entry outside the field's limits.
enum class OutOfRange {
    Clamp,  // the limit is stored and shown instead
    Refuse, // nothing is stored; the field shows the stored value again
};

// Whether a field is offered: a plain function of what the controller is.
using FieldRule = std::function<bool(const Identification&, const DeviceImage&)>;
FieldRule firmwareAbove(int version);   // FirmwareVersion > version
FieldRule firmwareAtLeast(int version); // FirmwareVersion >= version
FieldRule temperatureInputs();          // ModuleVariant bit 0 (thermocouples, resistance sensors)
FieldRule allOf(const FieldRule& a, const FieldRule& b);

// One field of a window, described once. A window is a layout plus a table of these:
//
//   const QList<Field> fields = {
//       {.name = "txtParameter_0", .row = 0, .display = DisplayKind::Scaled,
//        .minimum = -3200, .maximum = 3200, .caption = 100, .label = "lblParameter_0",
//        .companions = {"lblTBenenn_0"}},
//       {.name = "txtParameter_29", .row = 41, .display = DisplayKind::Tenths,
//        .shown = firmwareAbove(0x10), .label = "lblParameter_29"},
//       {.name = "chkAutark", .row = 32, .columnRule = ColumnRule::Device,
//        .display = DisplayKind::Bit, .mask = 0x02, .shown = firmwareAbove(0x42), .caption = 513},
//       {.name = "cboRegTyp", .row = 27, .display = DisplayKind::BitField, .mask = 0x0007,
//        .choices = textList({355, 356, 357, 358, 359, 360, 361})},
//   };
//
// The ui's FormBinder finds each widget by `name`, `label` and `companions`; a name that names
// no widget stops the program in every test that opens the window.
struct Field {
    QString name = {}; // objectName of the editing (or showing) widget
    int row = 0;       // ParameterTable row = device-image row
    ColumnRule columnRule = ColumnRule::Channel;
    int column = 1; // ColumnRule::Fixed only
    DisplayKind display = DisplayKind::Word;
    bool isSigned = true; // Scaled, Tenths: the word is two's complement
    quint32 mask = 0;     // Bit, BitField: the bits of the word
    // Limits of the shown value ("-100", "3200.0"); equal limits = none.
    double minimum = 0;
    double maximum = 0;
    OutOfRange outOfRange = OutOfRange::Clamp;
    FieldRule shown = {}; // empty = always offered
    int caption = 0;      // text number of the caption, 0 = none
    // The widget that carries the caption (a label beside a line edit); empty = the field's own
    // widget (a check box). It is shown and hidden with the field.
    QString label = {};
    QStringList companions = {}; // further widgets shown and hidden with the field (unit labels)
    QList<Caption> choices = {}; // BitField: the list entries by position
    bool readOnly = false;       // shown, never edited
};

// A window's fields over the device image: what each field shows, and the one way an edit is
// accepted (validated, clamped or refused, stored through DeviceData::setCell). QtCore only, so
// the same rules serve the window, q7400ctl and the tests.
//
// A window's own rules are small overrides of the hooks below, not copies of the machinery:
// cross-checks (afterEdit), values that show as words ("Auto", "Off": format and parse),
// decimals that follow the channel (decimals), limits that follow other values (limits),
// visibility beyond FieldRule (isVisible).
//
// The form follows the device data: an element that changes underneath (another window, a copy
// to channels) emits valuesChanged() for the fields that show it; a replaced image, a new
// identification or another language emits refreshed(); the gate locking the image emits
// editableChanged().
class Form : public QObject {
    Q_OBJECT
public:
    Form(DeviceData& data, QList<Field> fields, QObject* parent = nullptr);

    DeviceData& data() const { return m_data; }
    const QList<Field>& fields() const { return m_fields; }
    const Field& field(int i) const { return m_fields.at(i); }
    int count() const { return int(m_fields.size()); }
    // Index of the field named `name`, -1 when there is none.
    int indexOf(QStringView name) const;

    // The channel the window works on, 0..7 (column = channel + 1). A window captures it when it
    // opens, so later changes elsewhere do not redirect its edits.
    int channel() const { return m_channel; }
    void setChannel(int channel);
    // The device-image column of a field under its column rule.
    int columnOf(int field) const;

    // The raw value of a field's cell (numbers as stored, texts by ValueOfText).
    double raw(int field) const;
    // What a field shows.
    QString text(int field) const;                // line edits and labels (every display)
    bool checked(int field) const;                // DisplayKind::Bit
    int position(int field) const;                // DisplayKind::BitField
    virtual QStringList choices(int field) const; // DisplayKind::BitField, in the language in use
    virtual bool isVisible(int field) const;      // Field::shown by default
    // Not read-only, and no operation is reading into or writing from the image.
    bool isEditable(int field) const;

    struct EditResult {
        enum Outcome {
            Stored,    // the value was taken as entered
            Adjusted,  // stored, but not as entered (clamped to a limit, or moved by a rule)
            Unchanged, // the entry means the stored value
            Refused,   // not a number, outside limits that refuse, or read-only: nothing stored
        };
        Outcome outcome = Unchanged;
        QString shown;      // what the field shows now
        QString message;    // Refused: why, in the language in use
        QList<int> changed; // other fields that show another value after this edit
    };
    // An edit by the user of a line edit, a check box, a list position.
    EditResult editText(int field, const QString& text);
    EditResult editChecked(int field, bool checked);
    EditResult editPosition(int field, int position);

Q_SIGNALS:
    // These fields show other values now.
    void valuesChanged(const QList<int>& fields);
    // Everything may be different: values, visibility, choices, captions.
    void refreshed();
    // isEditable() may have changed.
    void editableChanged();

protected:
    // Decimals of a Scaled field (default 1: tenths of a degree).
    virtual int decimals(int field) const;
    // The text of a raw value; the default follows the field's display.
    virtual QString format(int field, double raw) const;
    // The shown value an entry means; the default is strictNumber(). Empty = not a number.
    virtual std::optional<double> parse(int field, const QString& text) const;
    struct Limits {
        double minimum = 0;
        double maximum = 0; // equal = no limits
    };
    // Limits of the shown value; the default is the field's.
    virtual Limits limits(int field) const;
    // Before an accepted entry is stored: what a rule needs to remember of the values as they
    // were (e.g. the decimals before a new full-scale value).
    virtual void beforeEdit(int field);
    // After a field was stored: the window's cross-checks. Change other fields with
    // storeShown() / storeRaw(); the form reports them as changed.
    virtual void afterEdit(int field);
    // Fields whose shown value depends on (row, column) beyond their own cell (e.g. every
    // Scaled field on the full-scale value); the default is the fields showing that cell.
    virtual QList<int> fieldsShowing(int row, int column) const;

    // For the hooks: the shown value of a field as a number, and storing into a field.
    double shownValue(int field) const;
    void storeShown(int field, double shown);
    void storeRaw(int field, double raw);
    // The raw value a shown value is stored as under the field's display.
    double rawOfShown(int field, double shown) const;

private:
    // Stores `value` into the field's cell, runs the window's rules and tells what changed;
    // `expected` is what the field shows when nothing moved the value.
    EditResult commit(int field, const QVariant& value, const QString& expected, bool clamped);
    std::optional<EditResult> refuseLocked(int field) const;
    EditResult refuse(int field, const QString& message) const;
    QStringList snapshot() const;
    int word(int field) const;

    DeviceData& m_data;
    QList<Field> m_fields;
    int m_channel = 0;
};
