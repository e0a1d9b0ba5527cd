#include "app/ui/WindowManager.h"

#include "app/Workspace.h"
#include "app/ui/SecondaryWindow.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

QString windowName(WindowId id) {
    static const char* const names[WindowCount] = {
        "frmRegler", "frmPara",   "frmSteuer", "frmZyklus", "frmSFehler", "frmExtra", "frmDevice",
        "frmHist",   "frmLogger", "frmWLD",    "frmID",     "frmBlock",   "frmPass"};
    const int i = int(id);
    return i >= 0 && i < WindowCount ? QString::fromLatin1(names[i]) : QString();
}

WindowManager::WindowManager(Workspace& ws, QObject* parent) : QObject(parent), m_ws(ws) {
    connect(&m_ws, &DeviceData::languageChanged, this, [this] {
        for (SecondaryWindow* w : std::as_const(m_windows))
            w->retranslate();
    });
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::focusWindowChanged, this,
                &WindowManager::onFocusWindowChanged);
}

WindowManager::~WindowManager() {
    qDeleteAll(m_windows);
}

void WindowManager::add(WindowId id, Factory factory) {
    m_factories.insert(id, std::move(factory));
    Q_EMIT availabilityChanged();
}

SecondaryWindow* WindowManager::window(WindowId id) const {
    return m_windows.value(id);
}

SecondaryWindow* WindowManager::open(WindowId id, int argument) {
    SecondaryWindow* w = m_windows.value(id);
    if (!w) {
        const Factory factory = m_factories.value(id);
        if (!factory)
            return nullptr;
        w = factory(m_ws, *this);
        m_windows.insert(id, w);
        w->retranslate();
    }
    w->openFor(argument);
    w->show();
    w->raise();
    w->activateWindow();
    activate(w);
    return w;
}

void WindowManager::close(WindowId id) {
    if (SecondaryWindow* w = m_windows.value(id))
        w->close();
}

bool WindowManager::closeAll() {
    bool all = true;
    for (SecondaryWindow* w : std::as_const(m_windows))
        if (w->isVisible() && !w->close())
            all = false;
    return all;
}

QWidget* WindowManager::programWindowOf(QWindow* window) const {
    if (!window)
        return nullptr;
    if (m_main && m_main->windowHandle() == window)
        return m_main;
    for (SecondaryWindow* w : m_windows)
        if (w->windowHandle() == window)
            return w;
    return nullptr;
}

void WindowManager::activate(SecondaryWindow* window) {
    m_lastBroughtForward = window;
    if (!window->busy())
        window->activated();
}

void WindowManager::onFocusWindowChanged(QWindow* focus) {
    QWidget* w = programWindowOf(focus);
    // Message boxes, dialogs and other programs leave the record as it is: coming back from
    // them finds the same window and is no activation.
    if (!w || w == m_lastBroughtForward)
        return;
    if (auto* secondary = qobject_cast<SecondaryWindow*>(w)) {
        activate(secondary);
    } else {
        m_lastBroughtForward = w;
        Q_EMIT mainWindowBroughtForward();
    }
}
