#pragma once

#include "app/ChannelNames.h"
#include "config/ConfigurationFile.h"
#include "config/ConfigurationModel.h"
#include "device/DeviceData.h"
#include "link/PortSettings.h"

#include <QObject>
#include <QString>

#include <memory>

class DeviceServices;
class Interaction;
class Link;
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
    // question and shows every message.
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

    Link& link() { return *m_link; }
    DeviceServices& services() { return *m_services; }
    Transfers& transfers() { return *m_transfers; }

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

    // Switches the language: texts, parameter table names, the input names and the settings.
    void setLanguageOffset(int offset);

    // Sets ModuleVariant and FeatureA from an attributes byte, renames the input rows and
    // shows the feature code.
    void DecodeAttributes(int attributes);
    // Emits featureCodeShown (and firmwareShown below firmware 0x98).
    void ShowFeatureCode();

    // Loads a configuration file into the device image. On success the remembered file name
    // becomes its ShortenedPath and configurationLoaded() asks the windows to redraw; the
    // feature code is shown again whenever the file's attributes were read (even when the file
    // ended early). The caller shows result.message when !ok.
    ConfigurationFileResult OpenConfigurationFile(const QString& path);
    // Writes the device image to a configuration file (atomically). The attributes item
    // carries the channel count the program shows: a feature-code choice makes a controller
    // of eight channels but leaves the attributes' channel bit as it was.
    ConfigurationFileResult SaveConfigurationFile(const QString& path);

    // The File menu's commands, dialogs and messages through the interaction. Open asks for a
    // file and loads it; Save-to-file asks for a name (".tvk" is added when it has no suffix)
    // and writes it. A failure is shown as a message naming the file and the reason. False
    // when cancelled or failed.
    bool OpenConfigurationCommand();
    bool SaveConfigurationCommand();
    // Save goes through the parameter-set-ID window first on firmware above 0x34.
    bool SaveNeedsParameterSetId() const { return identification.FirmwareVersion > 52; }

Q_SIGNALS:
    // A configuration file was loaded completely: sensor lists, terminal view and channel
    // areas are rebuilt from the device image.
    void configurationLoaded();
    // The remembered configuration file name changed (status panel 5).
    void configurationFileNameChanged(const QString& shown);

    // Status panel 2 text ("Device feature code:  A1 B2") and the checked feature menu entry.
    void featureCodeShown(const QString& text, int menuEntry);
    // Status panel 3 text ("Firmware: V3.6").
    void firmwareShown(const QString& text);
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
    std::unique_ptr<Link> m_link;
    std::unique_ptr<DeviceServices> m_services;
    std::unique_ptr<Transfers> m_transfers;
};
