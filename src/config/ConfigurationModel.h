#pragma once

#include "config/Terminals.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

class DeviceData;
class DeviceImage;
class Interaction;
struct Identification;

// The configuration as the wiring picture edits it: the terminal view (normal: I/O 1..20 from
// "I/O config.", extended: I/O 17..24 from "Extended I/O configuration"), what every terminal
// row shows, the links, the terminal chosen for linking, the sensor types and the feature
// code. Every edit is a user action of the picture and stores the new terminal byte in the
// device image at once; the window and q7400ctl drive the same actions, so the command line
// stores exactly what the clicks store. The device image stays the single source of truth:
// the rows are its decoded working copy. Stores are announced as element changes; whenever
// the image is replaced (a read, a file, a memory-image take-over) the configuration is
// derived anew.
class ConfigurationModel : public QObject {
    Q_OBJECT
public:
    explicit ConfigurationModel(DeviceData& data, QObject* parent = nullptr);

    // What a terminal row shows. The direction and kind are the user's while editing: an
    // "In"/"N" row stores 0 until it is linked to an input slot.
    struct Row {
        Direction direction = Direction::Out;
        bool special = false;
        int outputPosition = 0; // special output list
        int inputPosition = 0;  // input list
        ModeText mode = ModeText::None;
    };

    bool ExtendedView = false;
    std::array<int, Wiring::Rows> TerminalConfig{};
    std::array<int, Wiring::Rows> TerminalLink{};
    int SelectedTerminal = Wiring::NoTerminal;
    // Continuous rows 16..19: 0/1 = normal/inverted when linked, the free mode 0..3 otherwise.
    std::array<int, 4> ContinuousMode{};

    const Row& row(int i) const { return m_rows.at(size_t(i)); }
    // Rows 0..15 always, 16..19 unless the feature code is A0; in the extended view rows 0..7.
    bool rowVisible(int i) const;
    // A continuous output: I/O 17..20 of an A2 controller in the normal view.
    bool isContinuous(int i) const;
    // I/O number of row i: i + 1, or i + 17 in the extended view.
    int ioNumber(int i) const;
    // The terminal label: the I/O number, or with `stripNumbering` the number printed on the
    // terminal strip of the module.
    QString terminalCaption(int i, bool stripNumbering) const;
    // Rows that may be chosen for linking: not a special output, not a free continuous
    // output, not a special input beyond the input functions.
    bool selectable(int i) const;
    // Whether a link target (slot 0..55, group label 56..59) takes the selected terminal.
    bool fits(int terminal, int target) const;
    // Rows linked to a target, for highlighting.
    QList<int> rowsLinkedTo(int target) const;

    // Entries of the row's visible list: special outputs for "Out"/"S", input functions
    // (plus the special inputs for "In"/"S") for "In"; empty otherwise.
    QStringList rowListEntries(int i) const;
    int rowListPosition(int i) const;

    // The outcome of a user action; `refusal` says why it was refused (nothing changed).
    struct Outcome {
        bool done = true;
        QString refusal;
        explicit operator bool() const { return done; }
    };

    // Views: reload TerminalConfig from the image and redraw every row.
    void LoadNormalView();
    void LoadExtendedView();
    void Redraw();

    // Linking. Pressing a terminal chooses it (or, while another is chosen, cancels the choice
    // and unlinks the pressed terminal when it is linked); pressing a slot or group label
    // then links the chosen terminal to it. Releasing over empty space, or on a group label
    // with a terminal that is not a special input, unlinks the chosen terminal.
    Outcome pressTerminal(int i);
    Outcome releaseOnTarget(int target);
    Outcome releaseOnEmpty();
    // A release with another mouse button over terminal i while one is chosen: unlinks i.
    Outcome unlinkTerminal(int i);
    // Drops the choice without changing anything.
    void cancelSelection();

    // The clicks on a row: direction ("Out" <-> "In", the mode on a continuous row), kind
    // ("N" <-> "S"), the mode text of a continuous row, and a choice in the row's list.
    Outcome toggleDirection(int i);
    Outcome toggleKind(int i);
    Outcome modeClick(int i);
    Outcome chooseListEntry(int i, int position);

    // Sensor types. The stored code of a channel stays until the user picks an entry.
    QStringList sensorEntries() const;
    QString sensorLabel(int channel) const; // "MW3 Typ K (NiCr-Ni)"
    int sensorPosition(int channel) const;  // -1: the list has no entry for the stored code
    Outcome chooseSensor(int channel, int position);
    // Bit 0 of "Extended controller config." of channel k (5..8 only with eight channels).
    bool extensionMarker(int channel) const;
    // Channel blocks 5..8 exist only with eight channels.
    bool channelVisible(int channel) const;

    // The feature-code menu entry 0..5: asks first (Cancel changes nothing). When the I/O
    // equipment changes, I/O 17..20 are cleared as the warning says: their bytes mean another
    // thing on the new equipment. False when cancelled.
    bool SelectFeatureCode(int entry, Interaction& interaction);

    // After a read, a file open, a feature-code choice or a memory-image take-over (it runs
    // on every imageReplaced): input names, sensor codes of 20 mA modules reduced to 0..3,
    // external current inputs, the normal view; then configurationChanged().
    void ConfigurationChanged();

    // Stores a terminal byte in the current view (TerminalConfig and the image) and
    // recomputes the external current inputs.
    void StoreTerminalByte(int i, int value);

Q_SIGNALS:
    // Rows, links or the chosen terminal changed.
    void rowsChanged();
    void viewChanged();
    // The whole configuration was replaced or re-derived: lists, sensors, channel blocks.
    void configurationChanged();
    // A feature code was chosen (the status bar and the menu show it).
    void featureCodeChosen();

private:
    int imageRow() const;
    void loadView(bool extended);
    void redrawRow(int i);
    // Stores the byte and shows what it means, keeping the row's direction and kind.
    void storeAndShow(int i, int value);
    void unlink(int i);
    // No terminal is chosen any more; row i is unlinked when it is linked.
    Outcome dropChoice(int i);
    Outcome refuse(const QString& why);
    Outcome reencode(int i);

    DeviceData& m_data;
    DeviceImage& m_image; // of m_data, read directly, stored through m_data
    Identification& m_id;
    std::array<Row, Wiring::Rows> m_rows{};
};
