#pragma once

#include "device/WritePreview.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class DeviceImage;
class DeviceServices;
class Interaction;
class Link;
class OperationGate;
class ParameterTable;
class ReadRecord;
class Texts;
struct Identification;
struct MemoryImage;

// Highest row of a full transfer for a firmware version is highestRowForFirmware()
// (ParameterTable.h). The write order puts the configuration (rows 27 ..) before the values
// that depend on it: for i = 0..N, r = (i + 27) mod (N + 1), and rows below 8 are rotated so
// that the setpoint limits 6 and 7 come before the setpoints 0..5.
int writeOrderRow(int i, int highestRow);
QList<int> writeOrder(int highestRow);
// Rows the controller does not accept: device ID, attributes, software version, interface.
bool isWriteSkipped(int row);

// The data byte of the parameter-set command (function code 0x32).
enum class ParameterSetCommand : int {
    None = 0,
    LoadSet1 = 0x1F,
    LoadSet2 = 0x2F,
    StoreSet1 = 0x1E,
    StoreSet2 = 0x2E,
    Factory = 0x0F,
};

// The bulk transfers between the device image and the controller, and the parameter-set
// commands. They run on the caller's thread and wait through the Link (the event loop keeps
// running). Questions and messages go through the Interaction; what windows show is announced
// by signals, so the same transfers serve the main window and q7400ctl.
//
// Each public operation is one user-started device operation: it enters the operation gate
// first and is refused at once (Outcome::Busy, the user is told) while another one runs.
class Transfers : public QObject {
    Q_OBJECT
public:
    Transfers(DeviceServices& services, Link& link, Interaction& interaction, const Texts& texts,
              OperationGate& gate, ParameterTable& table, DeviceImage& image, MemoryImage& memory,
              Identification& identification, ReadRecord& record, QObject* parent = nullptr);

    // A bulk transfer (read or write of the whole image) is running.
    bool TransferRunning() const { return m_transferRunning; }
    // Data byte of the parameter-set command WriteAll sends after writing; 0 = none.
    int ParamSetCommand = 0;
    // The attributes byte WriteAll read from the controller; -1 before or when unanswered.
    int ControllerAttributes = -1;

    // Keeps the controller's configuration as found just before a write (WriteAll reads it into
    // `asFound`, rows 0..lastRow, and the controller's firmware) and returns where it is kept;
    // empty with *error set when it could not be kept.
    using AsFoundKeeper = std::function<QString(const DeviceImage& asFound, int lastRow,
                                                int firmware, QString* error)>;
    void setAsFoundKeeper(AsFoundKeeper keeper) { m_asFoundKeeper = std::move(keeper); }
    // Where the last WriteAll kept the as-found configuration; empty when it kept none.
    QString AsFoundPath;

    // The rows WriteAll would send with values that differ from those last read from the
    // present controller (firmware as identified), or that were not read from it in this
    // session.
    WritePreview previewWrite(const DeviceImage& image) const;

    enum class Outcome {
        Done,      // the transfer ran to its end
        Cancelled, // the user said no to a question; nothing was transferred
        Busy,      // another device operation was running; nothing was transferred
        Failed,    // the controller stopped answering
        Refused,   // a value of the image cannot be sent; nothing was written
    };

    // Reads every row the firmware has into the device image, then refreshes everything
    // derived from it. askFirst: the menu's question "Direction ok?  => PC" comes first.
    // Every row read is entered in the ReadRecord; a read that stops part-way leaves the image
    // marked incomplete there.
    Outcome ReadAll(bool askFirst = true);

    // Reads every row the controller's firmware has into `target`, rows 0..*lastRow, and
    // nothing else: the device image, the read record and the identification stay as they are
    // (a comparison with the controller). A user-started device operation named `name`.
    Outcome ReadCopy(const QString& name, DeviceImage& target, int* lastRow);

    // Writes the device image to the controller in write order. When the controller's
    // attributes differ from the configuration's feature code and module variant, asks first
    // (Cancel writes nothing). A pending ParamSetCommand is sent at the end.
    // Outcome Cancelled = the mismatch question was answered with Cancel. Before the first
    // row is sent every value is checked: one that does not fit its byte or word is reported
    // and nothing is written (Refused), so the controller never holds half a configuration;
    // a pending ParamSetCommand is then dropped, not sent.
    // When the image is incomplete (a read stopped part-way) it asks first; Cancel writes
    // nothing. The setpoints (row 0) are written only when the image holds those read from
    // this controller in this session; otherwise the controller's own setpoints are written
    // back (notice() says so), so a file or the defaults never set them.
    // With an as-found keeper, the controller's whole configuration is read before anything is
    // sent and kept (AsFoundPath, notice() names it); when it cannot be kept it asks whether to
    // write anyway. A write that fails part-way says where the as-found configuration is.
    Outcome WriteAll();

    // The "PC => Q7400" menu command: asks "Direction ok?  =>   Q7400"; on OK clears
    // ParamSetCommand (a plain write never stores a parameter set) and emits
    // writeConfirmationRequested(): the parameter-set-ID window confirms and calls WriteAll.
    Outcome RequestWriteAll();

    // Sends ParamSetCommand (0x32 with its data byte) and clears it. False on a link failure.
    bool WriteParaSet();

    // The Parameter sets menu, entry k = 0..4 (load set 1, load set 2, store as set 1, store
    // as set 2, factory settings), questions included. Load and factory send the command and
    // then run ReadAll with its question. Store asks Yes/No/Cancel: Yes emits
    // writeConfirmationRequested() (the parameter-set-ID window confirms and calls WriteAll,
    // which sends the store command at its end); No sends the store command at once.
    Outcome ParameterSetMenu(int k);

    // The read of the controller's device error block (the main window's "Read alarm / error"):
    // hides the channel error table, prepares the link and sends the short request 0x7A. The
    // reply is decoded by the Link (Link::deviceErrorsDecoded). False when refused or unanswered.
    bool readDeviceErrors();
    // "Reset alarm / error": the clear command (0x21 with 21 zero bytes), then the error read.
    bool clearDeviceErrors();

    // Reads one row from the controller into the device image as the full read stores it (the
    // attributes byte is decoded at once). False when the read failed; the row then keeps its
    // values.
    bool ReadRow(int row) { return readRow(row); }

Q_SIGNALS:
    // Progress of a transfer: maximum N + 1, then the value 1..N+1 once per row, then finished.
    void progressStarted(int maximum);
    void progress(int value);
    void progressFinished();
    // A transfer is running (hourglass pointer) or has ended.
    void busyChanged(bool busy);
    // Something the user should know about the running transfer, for its progress output.
    void notice(const QString& text);
    // A read has put rows into the device image (also when it failed part-way).
    void imageRead();

    // The channel error table of the main window is to be hidden.
    void channelErrorTableHideRequested();
    // The attributes byte was decoded: the feature code display refreshes.
    void attributesDecoded();
    // After a successful read, in this order: the channel overview, the special output lists
    // and the activation refresh of the main window (identification values are updated right
    // after it); then one sensorTypeSelected per channel; then ioAreaRefreshRequested.
    void derivedRefreshRequested();
    // Channel 1..8 shows sensor list entry `index` (0 when the stored code has no entry).
    void sensorTypeSelected(int channel, int index);
    void ioAreaRefreshRequested();
    // At the end of a read: status panel 4 (ParameterSetId) and panel 5 (`fileName`, "No File").
    void parameterSetIdChanged();
    void configurationFileNameChanged(const QString& shown);

    // "PC => Q7400" confirmed or "Write paraset" answered Yes: the parameter-set-ID window
    // opens in write mode.
    void writeConfirmationRequested();

private:
    Outcome readAllHeld(bool askFirst);
    bool requestDeviceErrors();
    bool readRow(int row);
    bool readRowInto(int row, DeviceImage& image);
    bool keepControllerSetpoints(const DeviceImage* asFound);
    // Reads and keeps the as-found configuration; false when the controller stopped answering
    // or the user declined to write without it. *asFound holds what was read.
    bool keepAsFound(DeviceImage* asFound, bool* read);
    // The controller's firmware, then rows 0.. of it into `target`; -1 when it stopped answering,
    // else the last row read.
    int readControllerCopy(DeviceImage& target, int* firmware);
    bool writeRows();
    QString firstWriteProblem() const;
    void refreshDerived();
    void finishRead();

    DeviceServices& m_services;
    Link& m_link;
    Interaction& m_interaction;
    const Texts& m_texts;
    ParameterTable& m_table;
    DeviceImage& m_image;
    MemoryImage& m_memory;
    Identification& m_id;
    ReadRecord& m_record;
    OperationGate& m_gate;
    bool m_transferRunning = false;
    AsFoundKeeper m_asFoundKeeper;
};
