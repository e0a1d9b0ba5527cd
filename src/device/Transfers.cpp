#include "device/Transfers.h"

#include "base/Interaction.h"
#include "device/DeviceImage.h"
#include "device/DeviceServices.h"
#include "device/Identification.h"
#include "device/OperationGate.h"
#include "device/ParameterBlocks.h"
#include "device/ParameterTable.h"
#include "device/ReadRecord.h"
#include "device/RowCodec.h"
#include "i18n/StringTable.h"
#include "link/Link.h"
#include "link/TransferGroup.h"

namespace {
constexpr int kTextParameterSets = 189;
constexpr int kTextReadErrors = 212;
constexpr int kTextClearErrors = 211;
constexpr int kTextNoFile = 225;
constexpr int kTextWrongSensor = 453;
constexpr int kTextAttributesMismatch = 454;
constexpr int kTextInterfaceMessage = 456;
constexpr int kTextDirectionOk = 457;
constexpr int kTextOverwritten = 460;

constexpr int kCodeParameterSet = 0x32;
constexpr int kCodeAttributes = 49;
constexpr int kCodeFirmware = 53;
constexpr int kFirstRawBlockFirmware = 0x40;
constexpr int kSetpointRow = 0;

QString setpointsKeptText(const Texts& texts) {
    static const char* const text[] = {
        "Die Sollwerte wurden in dieser Sitzung nicht von diesem Regler gelesen: seine eigenen "
        "Sollwerte werden zuerst gelesen und unverändert zurückgeschrieben.",
        "The setpoints were not read from this controller in this session: its own setpoints "
        "are read first and written back unchanged.",
        "Les consignes n'ont pas été lues de ce régulateur pendant cette session : ses propres "
        "consignes sont lues d'abord et réécrites sans changement.",
        "I valori nominali non sono stati letti da questo regolatore in questa sessione: i suoi "
        "valori vengono letti prima e riscritti invariati."};
    return texts.inLanguage(text);
}

QString writeAnywayText(const Texts& texts) {
    static const char* const text[] = {"Trotzdem schreiben?", "Write anyway?",
                                       "Écrire quand même ?", "Scrivere comunque?"};
    return texts.inLanguage(text);
}

QString asFoundKeptText(const Texts& texts, const QString& path) {
    static const char* const text[] = {
        "Die Konfiguration des Reglers vor dem Schreiben ist gesichert in %1",
        "The controller's configuration as found before the write is kept in %1",
        "La configuration du régulateur trouvée avant l'écriture est conservée dans %1",
        "La configurazione del regolatore trovata prima della scrittura è salvata in %1"};
    return texts.inLanguage(text).arg(path);
}

QString asFoundNotKeptText(const Texts& texts, const QString& error) {
    static const char* const text[] = {
        "Die Konfiguration des Reglers vor dem Schreiben konnte nicht gesichert werden: %1",
        "The controller's configuration as found before the write could not be kept: %1",
        "La configuration du régulateur trouvée avant l'écriture n'a pas pu être conservée : %1",
        ("Non è stato possibile salvare la configurazione del regolatore trovata prima della "
         "scrittura: %1")};
    return texts.inLanguage(text).arg(error);
}

QString writeIncompleteText(const Texts& texts) {
    static const char* const text[] = {
        "Das Schreiben wurde nicht vollständig ausgeführt.", "The write did not complete.",
        "L'écriture ne s'est pas terminée.", "La scrittura non è stata completata."};
    return texts.inLanguage(text);
}

// Sets a flag for the lifetime of the guard, so every return path clears it.
class RunningGuard {
public:
    RunningGuard(bool& flag, Transfers& owner) : m_flag(flag), m_owner(owner) {
        m_flag = true;
        Q_EMIT m_owner.busyChanged(true);
    }
    ~RunningGuard() {
        m_flag = false;
        Q_EMIT m_owner.busyChanged(false);
    }

private:
    bool& m_flag;
    Transfers& m_owner;
};
} // namespace

int writeOrderRow(int i, int highestRow) {
    int r = (i + 27) % (highestRow + 1);
    if (r < 8)
        r = (r + 6) % 8;
    return r;
}

QList<int> writeOrder(int highestRow) {
    QList<int> rows;
    for (int i = 0; i <= highestRow; ++i)
        rows.append(writeOrderRow(i, highestRow));
    return rows;
}

bool isWriteSkipped(int row) {
    return row == 30 || row == 31 || row == 34 || row == 40;
}

Transfers::Transfers(DeviceServices& services, Link& link, Interaction& interaction,
                     const Texts& texts, OperationGate& gate, ParameterTable& table,
                     DeviceImage& image, MemoryImage& memory, Identification& identification,
                     ReadRecord& record, QObject* parent)
    : QObject(parent), m_services(services), m_link(link), m_interaction(interaction),
      m_texts(texts), m_table(table), m_image(image), m_memory(memory), m_id(identification),
      m_record(record), m_gate(gate) {}

WritePreview Transfers::previewWrite(const DeviceImage& image) const {
    return writePreview(m_table, image, m_record, m_link.controller(),
                        highestRowForFirmware(m_id.FirmwareVersion));
}

Transfers::Outcome Transfers::ReadAll(bool askFirst) {
    const OperationGate::Ticket ticket =
        m_gate.enter(m_id.DeviceType + QStringLiteral(" => PC"), OperationGate::Scope::Image);
    if (!ticket)
        return Outcome::Busy;
    return readAllHeld(askFirst);
}

Transfers::Outcome Transfers::readAllHeld(bool askFirst) {
    if (askFirst) {
        const QString title = m_id.DeviceType + QStringLiteral(" => PC");
        const QString text = m_texts.LoadText(kTextDirectionOk) + QStringLiteral("\n\n   =>   PC");
        if (m_interaction.ask(Interaction::Icon::Exclamation, Interaction::Buttons::OkCancel, title,
                              text) != Interaction::Answer::Ok)
            return Outcome::Cancelled;
    }
    Q_EMIT channelErrorTableHideRequested();

    bool failed = false;
    {
        RunningGuard guard(m_transferRunning, *this);
        m_services.PrepareLink();
        m_services.ReadFirmwareVersion();
        failed = m_link.CommError;
        const int last = highestRowForFirmware(m_id.FirmwareVersion);
        if (!failed) {
            m_record.readStarted(m_link.controller(), last);
            Q_EMIT progressStarted(last + 1);
            int rowsRead = 0;
            for (; rowsRead <= last; ++rowsRead) {
                Q_EMIT progress(rowsRead + 1);
                if (!readRow(rowsRead)) {
                    failed = true;
                    break;
                }
            }
            m_record.readEnded(rowsRead);
            Q_EMIT progressFinished();
            Q_EMIT imageRead();
        }
        if (!failed)
            refreshDerived();
        requestDeviceErrors();
    }

    // After a failed read the controller's block table is unknown: the one in memory stays
    // (and a silent controller is not asked a second time).
    if (!failed) {
        if (m_id.FirmwareVersion >= kFirstRawBlockFirmware)
            m_services.ReadRawBlock();
        else
            LoadDefaultRawBlock(m_memory);
    }
    finishRead();
    return failed ? Outcome::Failed : Outcome::Done;
}

bool Transfers::readRowInto(int row, DeviceImage& image) {
    const ParameterRow& item = m_table[row];
    const int code = item.FunctionCode;
    m_services.ReadRequest(code, 0, 0, 0);
    image.cell(row, 0) = item.Name;
    // A failed read leaves whatever was in the reply buffer: the row keeps its values.
    if (m_link.CommError)
        return false;
    const QList<int> values = decodeReadValues(code, 0, 0, m_link.ReplyBytes);
    // A word block is one word per channel, whatever else an unranged read of its code returns.
    const int count = transferGroupOf(code) == TransferGroup::WordBlock
                          ? std::min<int>(8, int(values.size()))
                          : int(values.size());
    for (int k = 1; k <= count; ++k)
        image.cell(row, k) = values[k - 1];
    return true;
}

bool Transfers::readRow(int row) {
    if (!readRowInto(row, m_image))
        return false;
    if (m_table[row].FunctionCode == kCodeAttributes) {
        DecodeAttributes(m_id, truncatedInt(m_image.value(row, 1)));
        Q_EMIT attributesDecoded();
    }
    m_record.rowRead(m_link.controller(), row, m_image);
    return true;
}

bool Transfers::keepControllerSetpoints(const DeviceImage* asFound) {
    if (m_record.imageHoldsReadValues(m_link.controller(), kSetpointRow))
        return true;
    Q_EMIT notice(setpointsKeptText(m_texts));
    if (asFound) {
        // Just read with the as-found configuration.
        for (int k = 1; k < DeviceImage::Columns; ++k)
            m_image.cell(kSetpointRow, k) = asFound->cell(kSetpointRow, k);
        m_record.rowRead(m_link.controller(), kSetpointRow, m_image);
    } else if (!readRow(kSetpointRow)) {
        return false;
    }
    Q_EMIT imageRead();
    return true;
}

int Transfers::readControllerCopy(DeviceImage& target, int* firmware) {
    // Every row the controller's firmware has, whatever the image was made for.
    m_services.ReadRequest(kCodeFirmware, 0, 0, 0);
    if (m_link.CommError)
        return -1;
    *firmware = m_link.ReplyBytes[8];
    const int last = highestRowForFirmware(*firmware);
    Q_EMIT progressStarted(last + 1);
    int row = 0;
    for (; row <= last; ++row) {
        Q_EMIT progress(row + 1);
        if (!readRowInto(row, target))
            break;
    }
    Q_EMIT progressFinished();
    return row > last ? last : -1;
}

Transfers::Outcome Transfers::ReadCopy(const QString& name, DeviceImage& target, int* lastRow) {
    const OperationGate::Ticket ticket = m_gate.enter(name);
    if (!ticket)
        return Outcome::Busy;
    RunningGuard guard(m_transferRunning, *this);
    m_services.PrepareLink();
    int firmware = 0;
    *lastRow = readControllerCopy(target, &firmware);
    return *lastRow < 0 ? Outcome::Failed : Outcome::Done;
}

bool Transfers::keepAsFound(DeviceImage* asFound, bool* read) {
    *read = false;
    AsFoundPath.clear();
    if (!m_asFoundKeeper)
        return true;
    int firmware = 0;
    const int last = readControllerCopy(*asFound, &firmware);
    if (last < 0)
        return false;
    *read = true;
    QString error;
    AsFoundPath = m_asFoundKeeper(*asFound, last, firmware, &error);
    if (!AsFoundPath.isEmpty()) {
        Q_EMIT notice(asFoundKeptText(m_texts, AsFoundPath));
        return true;
    }
    return m_interaction.ask(Interaction::Icon::Exclamation, Interaction::Buttons::OkCancel,
                             QStringLiteral("PC => ") + m_id.DeviceType,
                             asFoundNotKeptText(m_texts, error) + QStringLiteral("\n\n") +
                                 writeAnywayText(m_texts)) == Interaction::Answer::Ok;
}

void Transfers::refreshDerived() {
    Q_EMIT derivedRefreshRequested();
    UpdateExternalCurrentInputs(m_id, m_image);
    CopyParameterSetId(m_id, m_image);
    UpdateInputNames(m_table, m_texts, m_id);
    const int entries = sensorTypeEntryCount(m_id);
    LimitSensorTypesToModule(m_id, m_image);
    for (int k = 1; k <= 8; ++k) {
        const double code = m_image.value(IdentificationRows::SensorType, k);
        int index = truncatedInt(code);
        if (!(code >= 0 && code < entries)) {
            m_interaction.inform(m_id.DeviceType,
                                 m_texts.LoadText(kTextWrongSensor) +
                                     QString::number(k, 16).toUpper(),
                                 Interaction::Icon::None);
            index = 0;
        }
        Q_EMIT sensorTypeSelected(k, index);
    }
    Q_EMIT ioAreaRefreshRequested();
}

void Transfers::finishRead() {
    Q_EMIT parameterSetIdChanged();
    Q_EMIT configurationFileNameChanged(m_texts.LoadText(kTextNoFile));
}

bool Transfers::readDeviceErrors() {
    const OperationGate::Ticket ticket = m_gate.enter(m_texts.LoadText(kTextReadErrors));
    return ticket && requestDeviceErrors();
}

bool Transfers::clearDeviceErrors() {
    const OperationGate::Ticket ticket = m_gate.enter(m_texts.LoadText(kTextClearErrors));
    if (!ticket)
        return false;
    Q_EMIT channelErrorTableHideRequested();
    m_services.PrepareLink();
    m_services.SendCommand(0x21, QByteArray(21, '\0'));
    return requestDeviceErrors();
}

bool Transfers::requestDeviceErrors() {
    Q_EMIT channelErrorTableHideRequested();
    m_services.PrepareLink();
    m_link.RequestDeviceErrors();
    return !m_link.CommError;
}

Transfers::Outcome Transfers::WriteAll() {
    const OperationGate::Ticket ticket =
        m_gate.enter(QStringLiteral("PC => ") + m_id.DeviceType, OperationGate::Scope::Image);
    if (!ticket)
        return Outcome::Busy;
    if (m_record.imageIncomplete() &&
        m_interaction.ask(Interaction::Icon::Exclamation, Interaction::Buttons::OkCancel,
                          QStringLiteral("PC => ") + m_id.DeviceType,
                          incompleteReadText(m_record, m_texts) + QStringLiteral("\n\n") +
                              writeAnywayText(m_texts)) != Interaction::Answer::Ok) {
        ParamSetCommand = 0; // it was meant to follow this write
        return Outcome::Cancelled;
    }
    Outcome outcome = Outcome::Done;
    {
        RunningGuard guard(m_transferRunning, *this);
        m_services.PrepareLink();
        m_services.ReadRequest(kCodeAttributes, 0, 0, 0);
        ControllerAttributes = m_link.CommError ? -1 : m_link.ReplyBytes[8];
        if (m_link.CommError) {
            outcome = Outcome::Failed;
        } else {
            const int a = m_link.ReplyBytes[8];
            bool write = true;
            if (featureAOfAttributes(a) != m_id.FeatureA ||
                moduleVariantOfAttributes(a) != m_id.ModuleVariant) {
                write = m_interaction.ask(
                            Interaction::Icon::Critical, Interaction::Buttons::OkCancel,
                            m_texts.LoadText(kTextInterfaceMessage),
                            m_texts.LoadText(kTextAttributesMismatch)) == Interaction::Answer::Ok;
            }
            // The as-found configuration and the setpoints come first: a row that cannot be
            // read stops the write before anything is sent.
            DeviceImage asFound;
            bool asFoundRead = false;
            const bool found = write && keepAsFound(&asFound, &asFoundRead);
            const bool setpoints =
                found && keepControllerSetpoints(asFoundRead ? &asFound : nullptr);
            const QString problem = setpoints ? firstWriteProblem() : QString();
            if (!write || (!found && asFoundRead)) {
                outcome = Outcome::Cancelled;
            } else if (!setpoints) {
                outcome = Outcome::Failed;
            } else if (!problem.isEmpty()) {
                outcome = Outcome::Refused;
                // A pending store would put the controller's old parameters into the set the
                // user meant for the new ones: it is dropped with the write.
                ParamSetCommand = 0;
                m_interaction.inform(m_id.DeviceType,
                                     QStringLiteral("Nothing was written to the controller: ") +
                                         problem,
                                     Interaction::Icon::Critical);
            } else if (!writeRows()) {
                outcome = Outcome::Failed;
                if (!AsFoundPath.isEmpty())
                    m_interaction.inform(QStringLiteral("PC => ") + m_id.DeviceType,
                                         writeIncompleteText(m_texts) + u'\n' +
                                             asFoundKeptText(m_texts, AsFoundPath),
                                         Interaction::Icon::Critical);
            }
            requestDeviceErrors();
        }
        if (ParamSetCommand != 0 && !WriteParaSet() && outcome == Outcome::Done)
            outcome = Outcome::Failed;
    }
    return outcome;
}

QString Transfers::firstWriteProblem() const {
    const int last = highestRowForFirmware(m_id.FirmwareVersion);
    for (int i = 0; i <= last; ++i) {
        const int row = writeOrderRow(i, last);
        if (isWriteSkipped(row))
            continue;
        WriteRefusal refusal;
        if (!encodeWriteData(m_table, m_image, m_memory, row, &refusal))
            return refusal.text;
    }
    return {};
}

bool Transfers::writeRows() {
    const int last = highestRowForFirmware(m_id.FirmwareVersion);
    Q_EMIT progressStarted(last + 1);
    bool ok = true;
    for (int i = 0; i <= last; ++i) {
        Q_EMIT progress(i + 1);
        const int row = writeOrderRow(i, last);
        if (isWriteSkipped(row))
            continue;
        m_services.WriteRow = row;
        if (!m_services.WriteParameterRow()) {
            ok = false;
            // A value that does not fit is refused before anything is sent: say which.
            const QString why = m_services.refusalText();
            if (!why.isEmpty())
                m_interaction.inform(m_texts.LoadText(kTextInterfaceMessage), why,
                                     Interaction::Icon::Critical);
            break;
        }
    }
    Q_EMIT progressFinished();
    return ok;
}

Transfers::Outcome Transfers::RequestWriteAll() {
    const QString title = QStringLiteral("PC => ") + m_id.DeviceType;
    const QString text =
        m_texts.LoadText(kTextDirectionOk) + QStringLiteral("\n\n =>   ") + m_id.DeviceType;
    if (m_interaction.ask(Interaction::Icon::Exclamation, Interaction::Buttons::OkCancel, title,
                          text) != Interaction::Answer::Ok)
        return Outcome::Cancelled;
    ParamSetCommand = 0;
    Q_EMIT writeConfirmationRequested();
    return Outcome::Done;
}

bool Transfers::WriteParaSet() {
    const int command = ParamSetCommand;
    ParamSetCommand = 0;
    m_services.SendCommand(kCodeParameterSet, QByteArray(1, char(command)));
    return !m_link.CommError;
}

Transfers::Outcome Transfers::ParameterSetMenu(int k) {
    static constexpr ParameterSetCommand kCommands[] = {
        ParameterSetCommand::LoadSet1, ParameterSetCommand::LoadSet2,
        ParameterSetCommand::StoreSet1, ParameterSetCommand::StoreSet2,
        ParameterSetCommand::Factory};
    static constexpr int kEntryTexts[] = {181, 182, 183, 184, 180};
    if (k < 0 || k > 4)
        return Outcome::Cancelled;
    OperationGate::Ticket ticket =
        m_gate.enter(m_texts.LoadText(kEntryTexts[k]), OperationGate::Scope::Image);
    if (!ticket)
        return Outcome::Busy;
    const int command = int(kCommands[k]);
    const QString title = m_texts.LoadText(kTextParameterSets);
    if (k == 2 || k == 3) {
        const Interaction::Answer answer =
            m_interaction.ask(Interaction::Icon::Question, Interaction::Buttons::YesNoCancel, title,
                              QStringLiteral("PC => ") + m_id.DeviceType + QStringLiteral(" ?"));
        if (answer == Interaction::Answer::Cancel)
            return Outcome::Cancelled;
        ParamSetCommand = command;
        if (answer == Interaction::Answer::Yes) {
            // The parameter-set-ID window confirms and writes: a device operation of its own.
            ticket.release();
            Q_EMIT writeConfirmationRequested();
            return Outcome::Done;
        }
        m_services.PrepareLink();
        return WriteParaSet() ? Outcome::Done : Outcome::Failed;
    }
    if (m_interaction.ask(Interaction::Icon::Critical, Interaction::Buttons::OkCancel, title,
                          m_texts.LoadText(kTextOverwritten)) != Interaction::Answer::Ok)
        return Outcome::Cancelled;
    m_services.PrepareLink();
    m_services.SendCommand(kCodeParameterSet, QByteArray(1, char(command)));
    if (m_link.CommError)
        return Outcome::Failed;
    return readAllHeld(true);
}
