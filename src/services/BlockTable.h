#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class DeviceData;
class DeviceServices;
class Interaction;
struct MemoryImage;

// The parameter-block table: 96 bytes at memory image 640..735 that assign parameters to the
// data blocks of the controller's higher-level bus. It is read from the controller with the raw
// block (code 0x3D) and written with ParameterTable row 79; from firmware 0x90 on the controller
// exchanges it no more.
using BlockTable = std::array<quint8, 96>;

BlockTable blockTableOf(const MemoryImage& memory);
void storeBlockTable(MemoryImage& memory, const BlockTable& table);
// Whether the table can be read from and sent to a controller with this firmware.
inline bool blockTableTransferable(int firmwareVersion) {
    return firmwareVersion < 0x90;
}

// A field's text: the byte in upper-case hexadecimal without leading zero ("6F", "0").
QString blockTableFieldText(quint8 byte);
// A field's byte: one or two hexadecimal digits, blanks around them allowed; empty otherwise.
std::optional<quint8> blockTableFieldByte(const QString& text);
// The 96 bytes as six lines of 16, "21 21 21 21 26 ..." (two digits each).
QStringList blockTableLines(const BlockTable& table);
// The 96 bytes from a text in that form: any blanks and line breaks between the bytes. Empty,
// with *why set, when a byte is malformed or there are not exactly 96.
std::optional<BlockTable> blockTableOfText(const QString& text, QString* why = nullptr);

// The parameter-block window's buttons over the program's memory image. The window fills its
// fields from fieldTexts() when it opens and after each of these operations; its fields are
// never refreshed on activation, so switching windows keeps what the user typed. Reading and
// sending are device operations: they enter the operation gate (refused while another runs).
class BlockTableEdit {
public:
    BlockTableEdit(DeviceData& data, DeviceServices& services, Interaction& interaction);

    QStringList fieldTexts() const;
    // "Read again" is offered and the table is sent only below firmware 0x90.
    bool canTransfer() const;

    // "Read again": the table from the controller. False, with the table unchanged, when no
    // complete answer came or another device operation runs.
    bool readFromController();
    // "Default": the default table.
    void loadDefaults();

    enum class SaveOutcome {
        Invalid,   // a field is not a hexadecimal byte: nothing stored, nothing sent
        Cancelled, // the caution was answered with Cancel: nothing stored
        Stored,    // stored in the memory image, not sent
        Sent,      // stored and sent to the controller
        Failed,    // stored, but not sent: the controller did not answer or another device
                   // operation runs
    };
    // "o.k.": all 96 fields are checked first; a field that is not a hexadecimal byte is
    // reported (and listed in *invalidFields) and nothing is stored. Then the caution (text 540,
    // OK / Cancel); the fields go into the memory image; below firmware 0x90 the question
    // "Immediate transmission ?" (Yes / No) and on Yes the table is sent.
    SaveOutcome save(const QStringList& fields, QList<int>* invalidFields = nullptr);

private:
    QString operationName() const;

    DeviceData& m_data;
    DeviceServices& m_services;
    Interaction& m_interaction;
};
