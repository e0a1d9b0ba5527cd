#pragma once

#include "app/ui/MenuEntry.h"
#include "app/ui/WindowManager.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class DipSwitches;
class frmCompare;
class frmScan;
class Interaction;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QToolButton;
class SerialPort;
class WiringPicture;
class Workspace;

// How the main window reaches the serial line. The defaults use the machine's serial devices;
// tests hand in their own ports.
struct FrameOptions {
    // The settings file; empty = defaultSettingsPath().
    QString settingsPath;
    // A device used for this run only instead of the settings file's port (the simulator's
    // pseudo-terminal). It is never written into the settings file.
    QString portOverride;
    // The port override is the bundled simulator: title and status bar say so while it is in use.
    bool simulator = false;
    // Creates the port object for a device ("/dev/ttyUSB0"); default: a QtSerialPort.
    std::function<SerialPort*(const QString& device)> makePort;
    // Serial devices by port number (element 0 = port 1); default: serialPortDevices().
    std::function<QStringList()> listDevices;
};

// The main window: menus, device picture, language flags, controller address, the device
// error display, the progress bar of the bulk transfers and the five-panel status bar. It
// owns the serial port and the window manager, shows the program's start and asks before the
// program ends. The other windows are opened through windows() and its menu entries.
class frmKonfig : public QMainWindow {
    Q_OBJECT
public:
    frmKonfig(Workspace& workspace, Interaction& interaction, FrameOptions options = {},
              QWidget* parent = nullptr);
    ~frmKonfig() override;

    Workspace& workspace() { return m_ws; }
    WindowManager& windows() { return m_windows; }

    // Window state.
    bool WelcomeShown = false;
    int ActivePort = 0; // number of the open port when the port list was built

    // Menu entries. An entry that opens a window is available as soon as the window is
    // registered with windows(); other entries become available with a handler (until then an
    // entry is disabled with a "not available yet" tool tip).
    void setEntryHandler(MenuEntry entry, std::function<void()> handler);
    bool entryAvailable(MenuEntry entry) const;
    QAction* entryAction(MenuEntry entry) const;

    // Public operations.
    void refreshCaptions();
    void refreshActivation(); // menu visibility, parameter set ID panel
    void showDeviceErrors();  // from the workspace's device errors
    void setLanguage(int languageIndex);
    void readDeviceErrors();
    void clearDeviceErrors();
    void readAll();
    void buildPortList();
    // A port number 1..16 or a device path; empty = back to the simulator of this run.
    void choosePort(const QString& portNumberOrPath);
    void chooseBaudRate(int entry); // 1..4
    void chooseParity(int entry);   // 1..4
    void setDeviceAddressText(const QString& text);
    // The channel error table Grid1 beside the error mark of channel 0..7, with the errors of
    // the last error read; it hides again at a click on it.
    void showChannelErrors(int channel);

    bool portOpen() const;
    SerialPort* port() const { return m_port.get(); }
    QString statusPanelText(int panel) const; // 1..5
    // The port in use is the bundled simulator of this run.
    bool simulatorInUse() const { return m_onSimulator; }

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QAction* action = nullptr;
        bool needsPort = false; // a device operation: disabled while no port is open
        std::function<void()> handler;
        std::optional<WindowId> window; // the window the entry opens
    };

    void buildWidgets();
    void fitWiringPicture();
    void buildMenus();
    QAction* addEntry(QMenu* menu, MenuEntry entry, bool needsPort,
                      std::optional<WindowId> window = std::nullopt);
    QMenu* addMenu(QMenu* parent, const QString& name);
    void startUp();
    bool openPort();
    void replacePort(SerialPort* port);
    void updateEntryStates();
    void updateCheckMarks();
    // After a baud rate or parity choice: the check marks, the open port (its failure is
    // reported) and the settings file follow the new line settings.
    void applyLineSettings();
    // The line scan's window (Interface menu); "Use this controller" takes its line settings
    // and address and saves them.
    void openScan();
    // File menu: the program's configuration compared with the controller's or a file's.
    void compareWith(bool controller);
    void updateTitle();
    void saveSettings();
    void setPanel(int panel, const QString& text);
    // Marks values from the previous controller (greyed, "Previous controller") and an image
    // a read left incomplete ("Incomplete read").
    void showDataState();
    void triggerEntry(MenuEntry entry);
    void openEntryWindow(MenuEntry entry, WindowId window);
    bool simulatorRunning() const;
    void chooseFeatureCode(int entry);
    // The channel blocks open the parameter and control-word windows once they exist.
    void updateChannelWindows();

    Workspace& m_ws;
    Interaction& m_interaction;
    FrameOptions m_options;
    QString m_settingsPath;
    WindowManager m_windows;
    std::unique_ptr<SerialPort> m_port;
    QString m_portDevice; // what m_port was made for
    bool m_onSimulator = false;
    bool m_closing = false;
    bool m_menusBuilt = false;

    std::array<Entry, MenuEntryCount> m_entries;

    // Menus.
    QMenu* m_mnuPort = nullptr;
    QMenu* m_mnuPSaetze = nullptr;
    QMenu* m_mnuHist = nullptr;
    QAction* m_portPlaceholder = nullptr;
    QList<QAction*> m_portEntries;
    QList<QAction*> m_baudEntries;    // mnuBaudrate_1..4
    QList<QAction*> m_parityEntries;  // mnuPar_1..4
    QList<QAction*> m_featureEntries; // mnuMerk_0..5
    QPointer<frmScan> m_frmScan;
    QPointer<frmCompare> m_frmCompare;

    // Widgets.
    QLabel* m_image1 = nullptr;
    QLineEdit* m_txtGAdress = nullptr;
    QList<QToolButton*> m_cmdSprache;
    DipSwitches* m_dipSwitches = nullptr;
    WiringPicture* m_wiring = nullptr;
    QTableWidget* m_grid1 = nullptr;
    QList<QLabel*> m_imgError; // 0..8
    QLabel* m_lblGerFehler = nullptr;
    QPushButton* m_cmdReadError = nullptr;
    QPushButton* m_cmdClearErr = nullptr;
    QProgressBar* m_progress = nullptr;
    QList<QLabel*> m_panels; // 1..5 at index 0..4
    QLabel* m_simulatorNotice = nullptr;
    QLabel* m_staleMark = nullptr;
    QLabel* m_incompleteMark = nullptr;
};
