#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QWindow;
class SecondaryWindow;
class Workspace;

// The program's secondary windows, one enumerator each (the names the windows have).
enum class WindowId {
    frmRegler,  // channel parameters
    frmPara,    // parameter overview
    frmSteuer,  // controller function and control words
    frmZyklus,  // cyclic monitoring
    frmSFehler, // collective-alarm masks
    frmExtra,   // extra functions
    frmDevice,  // device parameters
    frmHist,    // alarm history
    frmLogger,  // data logger
    frmWLD,     // memory image and WLD file
    frmID,      // parameter-set ID
    frmBlock,   // parameter blocks
    frmPass,    // password
};
constexpr int WindowCount = int(WindowId::frmPass) + 1;

// "frmRegler".
QString windowName(WindowId id);

// Creates each secondary window on first use, brings it back when it is opened again, switches
// its captions with the language, tells it when the user brings it forward, and closes every
// window at shutdown. Windows never reach each other directly: they open one another through
// here and redraw from the Workspace's signals.
//
// A window issue registers its window in registerWindows() (Windows.cpp), one line:
//
//   windows.add(WindowId::frmDevice,
//               [](Workspace& ws, WindowManager&) { return new frmDevice(ws); });
//
// and the main window's menu entries for it become available by themselves.
class WindowManager : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<SecondaryWindow*(Workspace& ws, WindowManager& windows)>;

    explicit WindowManager(Workspace& ws, QObject* parent = nullptr);
    ~WindowManager() override; // deletes the windows

    // How to make a window; a window with a factory is available.
    void add(WindowId id, Factory factory);
    bool available(WindowId id) const { return m_factories.contains(id); }

    // Creates the window on first use, tells it what it works on (SecondaryWindow::openFor),
    // shows it, brings it forward and activates it (SecondaryWindow::activated). nullptr when
    // the window is not available.
    SecondaryWindow* open(WindowId id, int argument = -1);
    // The window when it has been created, else nullptr.
    SecondaryWindow* window(WindowId id) const;
    template <typename W> W* window(WindowId id) const { return qobject_cast<W*>(window(id)); }
    // Closes (hides) a window if it is open.
    void close(WindowId id);
    // Shutdown: closes every window. False when one still waits for its operation; it closes
    // when that has ended.
    bool closeAll();

    // The main window counts as a window of the program when the user moves between windows.
    void setMainWindow(QWidget* main) { m_main = main; }

Q_SIGNALS:
    // A window became available (menus enable their entries).
    void availabilityChanged();
    // The user brought the main window forward (its own rules: monitoring stops).
    void mainWindowBroughtForward();

private:
    void onFocusWindowChanged(QWindow* focus);
    QWidget* programWindowOf(QWindow* window) const;
    void activate(SecondaryWindow* window);

    Workspace& m_ws;
    QHash<WindowId, Factory> m_factories;
    QHash<WindowId, SecondaryWindow*> m_windows;
    QPointer<QWidget> m_main;
    // The program window the user brought forward last: getting the focus back from a message
    // box, a dialog or another program does not count as bringing a window forward.
    QPointer<QWidget> m_lastBroughtForward;
};

// Registers every secondary window of the program (Windows.cpp); each window issue adds its line.
void registerWindows(WindowManager& windows);
