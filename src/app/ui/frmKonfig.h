#pragma once

#include "app/ChannelNames.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class Interaction;
class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;
class SerialPort;
class Workspace;

// How the main window reaches the serial line. The defaults use the machine's serial devices;
// tests hand in their own ports.
struct FrameOptions {
    // The settings file; empty = defaultSettingsPath().
    QString settingsPath;
    // A device used for this run only instead of the settings file's port (the simulator's
    // pseudo-terminal). It is never written into the settings file.
    QString portOverride;
    // The port is the bundled simulator: title and status bar say so.
    bool simulator = false;
    // Creates the port object for a device ("/dev/ttyUSB0"); default: a QtSerialPort.
    std::function<SerialPort*(const QString& device)> makePort;
    // Serial devices by port number (element 0 = port 1); default: serialPortDevices().
    std::function<QStringList()> listDevices;
};

// The main window: menus, device picture, language flags, controller address, the device
// error display, the progress bar of the bulk transfers and the five-panel status bar. It
// owns the serial port, runs the start-up sequence and asks before the program ends.
class frmKonfig : public QMainWindow {
    Q_OBJECT
public:
    frmKonfig(Workspace& workspace, Interaction& interaction, FrameOptions options = {},
              QWidget* parent = nullptr);
    ~frmKonfig() override;

    Workspace& workspace() { return m_ws; }

    // Window state.
    bool WelcomeShown = false;
    bool PortUnavailable = false; // opening the port failed
    int ActivePort = 0;           // number of the open port when the port list was built
    ChannelNames channelNames;

    // The secondary windows come from other parts of the program. Giving an entry a handler
    // makes it available (until then it is disabled with a "not available yet" tool tip).
    // Entries: mnuOeffnen, mnuSpeichern, mnuWLDauf, mnuWLDspei, mnuMerk_0..5, mnuSave,
    // mnuDevice_1..5, mnuZyklus, mnuSFehl_1..8, mnuParaset_0..4, mnuHistory_1, mnuHistory_2,
    // mnuExtra.
    void setEntryHandler(const QString& entry, std::function<void()> handler);
    bool entryAvailable(const QString& entry) const;
    // A secondary window that the shutdown closes with the main window.
    void addSecondaryWindow(QWidget* window);

    // Public operations.
    void refreshCaptions();
    void refreshActivation(); // menu visibility, parameter set ID panel
    void showDeviceErrors();  // from the link's DeviceErrorWords
    void setLanguage(int languageIndex);
    void readDeviceErrors();
    void clearDeviceErrors();
    void readAll();
    void buildPortList();
    void choosePort(const QString& portNumberOrPath);
    void chooseBaudRate(int entry); // 1..4
    void chooseParity(int entry);   // 1..4
    void setDeviceAddressText(const QString& text);

    bool portOpen() const;
    SerialPort* port() const { return m_port.get(); }
    QString statusPanelText(int panel) const; // 1..5
    bool simulatorInUse() const { return !m_options.portOverride.isEmpty() && m_options.simulator; }

Q_SIGNALS:
    // Every caption has been rebuilt in the new language; the other windows follow.
    void languageChanged();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Entry {
        QAction* action = nullptr;
        bool needsPort = false;  // a device operation: disabled while no port is open
        bool available = false;  // has a handler
        bool shownByRule = true; // firmware/attribute rule
        std::function<void()> handler;
    };

    void buildWidgets();
    void buildMenus();
    QAction* addEntry(QMenu* menu, const QString& name, bool needsPort);
    QMenu* addMenu(QMenu* parent, const QString& name);
    void startUp();
    bool openPort();
    void replacePort(SerialPort* port);
    void updateEntryStates();
    void updateCheckMarks();
    // After a baud rate or parity choice: the check marks, the open port (its failure is
    // reported) and the settings file follow the new line settings.
    void applyLineSettings();
    void updateTitle();
    void saveSettings();
    void setPanel(int panel, const QString& text);
    // Marks values from the previous controller (greyed, "Previous controller") and an image
    // a read left incomplete ("Incomplete read").
    void showDataState();
    void triggerEntry(const QString& name);
    void alarmHistory();

    Workspace& m_ws;
    Interaction& m_interaction;
    FrameOptions m_options;
    QString m_settingsPath;
    std::unique_ptr<SerialPort> m_port;
    QString m_portDevice; // what m_port was made for
    bool m_closing = false;
    bool m_menusBuilt = false;

    QHash<QString, Entry> m_entries;
    QList<QPointer<QWidget>> m_secondary;

    // Menus.
    QMenu* m_mnuDatei = nullptr;
    QMenu* m_mnuKonfig = nullptr;
    QMenu* m_mnuMerkmal = nullptr;
    QMenu* m_mnuSchnitt = nullptr;
    QMenu* m_mnuPort = nullptr;
    QMenu* m_mnuBaud = nullptr;
    QMenu* m_mnuParity = nullptr;
    QMenu* m_mnuPara = nullptr;
    QMenu* m_mnuSammelFehl = nullptr;
    QMenu* m_mnuPSaetze = nullptr;
    QMenu* m_mnuHist = nullptr;
    QAction* m_mnuGetPara = nullptr;
    QAction* m_mnuSave = nullptr;
    QAction* m_mnuZyklus = nullptr;
    QAction* m_mnuExtra = nullptr;
    QAction* m_mnuEnd = nullptr;
    QAction* m_portPlaceholder = nullptr;
    QList<QAction*> m_portEntries;
    QList<QAction*> m_baudEntries;    // mnuBaudrate_1..4
    QList<QAction*> m_parityEntries;  // mnuPar_1..4
    QList<QAction*> m_featureEntries; // mnuMerk_0..5

    // Widgets.
    QLabel* m_image1 = nullptr;
    QLabel* m_label6 = nullptr;
    QLabel* m_lblAdr = nullptr;
    QLineEdit* m_txtGAdress = nullptr;
    QList<QToolButton*> m_cmdSprache;
    QLabel* m_ioPlaceholder = nullptr;
    QLabel* m_lblDeviceAlarm = nullptr;
    QList<QLabel*> m_imgError; // 0..8
    QList<QLabel*> m_channelDigits;
    QLabel* m_lblGerFehler = nullptr;
    QPushButton* m_cmdReadError = nullptr;
    QPushButton* m_cmdClearErr = nullptr;
    QProgressBar* m_progress = nullptr;
    QList<QLabel*> m_panels; // 1..5 at index 0..4
    QLabel* m_simulatorNotice = nullptr;
    QLabel* m_staleMark = nullptr;
    QLabel* m_incompleteMark = nullptr;
};
