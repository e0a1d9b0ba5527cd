#pragma once

#include "app/ChannelNames.h"
#include "app/QtTranslations.h"
#include "config/ConfigurationFile.h"
#include "config/ConfigurationModel.h"
#include "device/DeviceData.h"
#include "device/ReadRecord.h"
#include "link/PortSettings.h"
#include "services/ParameterSetId.h"
#include "services/WldFile.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class DeviceServices;
class Interaction;
class Link;
class Monitor;
class SerialPort;
class Transfers;

// The program-wide objects, created once and wired the same way for the main window and for
// q7400ctl: the device data with its change announcements and operation gate (DeviceData:
// texts, parameter table, device image, memory image, identification, controller errors), port
// settings, channel names, the link to the controller, its services and the bulk transfers.
// Windows and commands get references from here; nothing of this is global.
class Workspace : public DeviceData {
    Q_OBJECT
public:
    // The port is not owned and may be nullptr (offline). The interaction answers every
    // question and shows every message. The workspace starts with the start-up values and
    // the default configuration (LoadStartupValues), as the program does.
    Workspace(Interaction& interaction, SerialPort* port, QObject* parent = nullptr);
    ~Workspace() override;

    Interaction& interaction() { return m_interaction; }
    PortSettings settings;
    // Display names of the channels (Q7400.zyk), read at start-up.
    ChannelNames channelNames;
    // The configuration as the wiring picture edits it (terminal view, links, sensor types,
    // feature code). Its ConfigurationChanged() runs whenever the image is replaced.
    ConfigurationModel configuration{*this};
    // The configuration file in use as shown (shortened), "No File" after a read.
    QString ConfigurationFileName;
    // Opening the port failed: the program works offline, device operations are disabled.
    bool PortUnavailable = false;
    // What was read from which controller in this session, and where the image's rows came
    // from.
    ReadRecord record;
    // The controllers what the main window shows came from: the firmware, feature code and
    // parameter set ID, and the device errors. Invalid before the first read.
    ControllerKey identificationSource;
    ControllerKey errorsSource;
    // Values shown that came from another controller than the one the link talks to now
    // (another port or address was chosen since).
    bool identificationStale() const;
    bool errorsStale() const;

    Link& link() { return *m_link; }
    DeviceServices& services() { return *m_services; }
    Transfers& transfers() { return *m_transfers; }
    // The cyclic monitoring; it lives as long as the program, so a window closed while a
    // poll waits leaves nothing behind that the poll still uses.
    Monitor& monitor() { return *m_monitor; }

    // Uses another port (not owned; nullptr = offline).
    void setPort(SerialPort* port);
    // Applies the line settings to `port` (not owned), opens it and uses it. A failure is told
    // through the interaction ("Error 8002  ..."), the program goes on offline and
    // PortUnavailable says so. portStateChanged() in either case.
    bool openPort(SerialPort* port);
    // The link has an open port: device operations are possible.
    bool portReady() const;

    // The controller's bus address 0..255 (the link's DeviceAddress and the settings); emits
    // deviceAddressChanged when it changed. Values outside 0..255 are taken as 0.
    void setDeviceAddress(int address);

    // Identification start-up values, the default parameter-block table and the default
    // offline configuration, also in the memory image: the state of a freshly started program.
    void LoadStartupValues();

    // Switches the language: texts, parameter table names, the input names, Qt's own texts and
    // the settings.
    void setLanguageOffset(int offset);

    // Sets ModuleVariant and FeatureA from an attributes byte, renames the input rows and
    // shows the feature code.
    void DecodeAttributes(int attributes);
    // Emits featureCodeShown (and firmwareShown below firmware 0x98).
    void ShowFeatureCode();

    // Loads a configuration file into the device image, all or nothing. On success the
    // remembered file name becomes its ShortenedPath, the feature code is shown again and
    // configurationLoaded() asks the windows to redraw. The caller shows result.message when
    // !ok, and valuesNotNumbersText() when values were kept as text.
    ConfigurationFileResult OpenConfigurationFile(const QString& path);
    // Writes the device image to a configuration file (atomically). The attributes item
    // carries the channel count the program shows: a feature-code choice makes a controller
    // of eight channels but leaves the attributes' channel bit as it was.
    ConfigurationFileResult SaveConfigurationFile(const QString& path);

    // The File menu's commands, dialogs and messages through the interaction. Open asks for a
    // file and loads it (and lists values that are not numbers); Save-to-file asks for a name
    // (".tvk" is added when it has no suffix) and writes it; when a read stopped part-way it asks
    // first whether to save the incomplete image. A failure is shown as a message naming the file
    // and the reason. False when cancelled or failed.
    bool OpenConfigurationCommand();
    bool SaveConfigurationCommand();
    // Save goes through the parameter-set-ID window first on firmware above 0x34 (so does the
    // WLD save).
    bool SaveNeedsParameterSetId() const { return identification.FirmwareVersion > 52; }

    // The parameter-set-ID window's OK: the edited ID becomes the parameter set's (device image
    // row 50 and ParameterSetId; parameterSetIdChanged() redraws status panel 4), then the
    // edit's mode continues: WriteAll after the write preview (Cancel there changes nothing,
    // not even the ID), the configuration-file save, or the WLD save preparation (on Done the
    // caller opens the WLD window in save mode). The window's Cancel calls only
    // CancelParameterSetId, which drops a pending parameter-set store.
    // Cancelled: a question or file dialog of the continuation was cancelled (a configuration
    // file that could not be written, after its message, too); Failed: the controller did not
    // answer, a value was refused or the WLD preparation was refused.
    enum class Continuation { Done, Cancelled, Failed };
    Continuation CommitParameterSetId(const ParameterSetIdEdit& edit);
    void CancelParameterSetId();

    // Before a write: the rows that differ from what was read from this controller (or were
    // not read from it in this session), with OK and Cancel. True on OK.
    bool ConfirmWrite(const DeviceImage& toWrite);

    // WLD file (memory image). The header fields and the file name are kept between uses.
    WldHeaderFields wld;
    QString WldFileName; // as shown (shortened)
    // The save preparation: the device image into the memory image. A value that does not fit
    // is shown, naming row and column, and the memory image stays as it was: false.
    bool PrepareWldSave();
    // Reads and checks a WLD file without changing anything: the content to take over, or
    // empty after the message (text 459 for a file that is not a WLD file).
    std::optional<WldContent> OpenWldFile(const QString& path);
    // "WLD  Open": the file dialog, then OpenWldFile; *path is the file chosen.
    std::optional<WldContent> OpenWldCommand(QString* path);
    // The take-over of a loaded file ("Accept"): memory image, header fields (the time only
    // when the file has one) and file name, then the device image decoded from it with its
    // attributes, feature code, sensor types, external current inputs, input names and
    // parameter-set ID; configurationLoaded() and status panel 5 follow.
    void TakeOverWld(const WldContent& content, const QString& path);
    // The WLD window's save: the CRC into the memory image, then the file, atomically. On
    // success the fields become the kept header fields and the file name is shown; a failure
    // is shown and changes nothing else. SaveWldCommand asks for the name first (".wld" is
    // added when it has no suffix).
    bool SaveWldFile(const QString& path, const WldHeaderFields& fields);
    bool SaveWldCommand(const WldHeaderFields& fields);

Q_SIGNALS:
    // Another controller was chosen, values were read from one, or the image became complete
    // or incomplete: the marks of stale and incomplete data are redrawn.
    void dataStateChanged();
    // A configuration file was loaded completely: sensor lists, terminal view and channel
    // areas are rebuilt from the device image.
    void configurationLoaded();
    // The remembered configuration file name changed (status panel 5).
    void configurationFileNameChanged(const QString& shown);

    // Status panel 2 text ("Device feature code:  A1 B2") and the checked feature menu entry.
    void featureCodeShown(const QString& text, int menuEntry);
    // Status panel 3 text ("Firmware: V3.6").
    void firmwareShown(const QString& text);
    // identification.ParameterSetId changed (status panel 4).
    void parameterSetIdChanged();
    // A port was opened or failed to open, or the port was taken away.
    void portStateChanged();
    // The controller address changed (address field, DIP switches of the wiring picture).
    void deviceAddressChanged(int address);

    // Requests between windows, raised by one and answered by the others:
    // monitoring is to stop completely, as its Stop button stops it (an internal transfer or a
    // reset of the controller starts);
    void monitoringStopRequested();
    // the controller runs its mapping now: monitoring polls without a log and shows its Stop;
    void mappingStarted();
    // °C / °F was switched in the device parameters: units shown elsewhere follow.
    void temperatureUnitChanged();

private:
    Interaction& m_interaction;
    QtTranslations m_qtTranslations;
    std::unique_ptr<Link> m_link;
    std::unique_ptr<DeviceServices> m_services;
    std::unique_ptr<Transfers> m_transfers;
    std::unique_ptr<Monitor> m_monitor;
};
