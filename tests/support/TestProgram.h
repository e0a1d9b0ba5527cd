#pragma once

// Header only: the test support library has no widgets, the GUI tests include this.

#include "app/Workspace.h"
#include "app/ui/frmKonfig.h"
#include "link/Link.h"
#include "support/FakePort.h"
#include "support/ScriptedInteraction.h"
#include "support/SimHarness.h"
#include "support/WindowChecks.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The whole program as the user starts it: a workspace and the main window on a settings file,
// on a fake serial port or on a simulated controller at the real serial-port code. Questions
// are answered by `interaction`; files go to `dir`.
//
//   TestProgram p(SimOptions{3, 0x56, 0x10, {}, false});
//   QVERIFY2(p.startSimulated(), qPrintable(p.sim.errorText()));
//   p.trigger("mnuWLDspei");
//   auto* w = p.existing<frmID>(WindowId::frmID);
//   TestProgram::type(w, "txtID_5", "42");
//   TestProgram::click(w, "cmdOK");
struct TestProgram {
    explicit TestProgram(const SimOptions& options = {}) : sim(options) {}

    QTemporaryDir dir;
    SimHarness sim; // started only by startSimulated()
    ScriptedInteraction interaction;
    std::unique_ptr<Workspace> workspace;
    std::unique_ptr<frmKonfig> window;

    QString path(const QString& name) const { return dir.filePath(name); }

    // A new workspace and main window. An empty settings path is a file in `dir`; without a
    // port of their own the options give the program one fake port. Pauses between exchanges
    // are short unless `pauseMs` says otherwise.
    void start(FrameOptions options = {}, int replyTimeoutMs = 0, int pauseMs = 1) {
        window.reset();
        if (options.settingsPath.isEmpty())
            options.settingsPath = path(QStringLiteral("Q7400n.cfg"));
        if (options.portOverride.isEmpty() && !options.makePort) {
            options.listDevices = [] {
                return QStringList{QStringLiteral("/dev/fake")};
            };
            options.makePort = [](const QString&) -> SerialPort* {
                return new FakePort;
            };
        }
        workspace = std::make_unique<Workspace>(interaction, nullptr);
        workspace->link().setPauseInterval(pauseMs);
        if (replyTimeoutMs > 0)
            workspace->link().setReplyTimeout(replyTimeoutMs);
        window = std::make_unique<frmKonfig>(*workspace, interaction, options);
    }
    // The same on the simulated controller; false when it does not run or its port does not
    // open.
    bool startSimulated(const QString& settings = {}, int replyTimeoutMs = 0) {
        if (!sim.start())
            return false;
        FrameOptions options;
        options.settingsPath = settings;
        options.portOverride = sim.slavePath();
        options.simulator = true;
        start(options, replyTimeoutMs);
        return window->portOpen();
    }

    // The main window's menu entries and actions, found by objectName.
    QAction* action(const QString& name) const { return child<QAction>(window.get(), name); }
    void trigger(const QString& name) const { action(name)->trigger(); }
    // A window opened as the program opens it, or the one already open (nullptr if none).
    template <typename W> W* open(WindowId id, int argument = -1) const {
        return qobject_cast<W*>(window->windows().open(id, argument));
    }
    template <typename W> W* open(MenuEntry entry, WindowId id) const {
        window->entryAction(entry)->trigger();
        return existing<W>(id);
    }
    template <typename W> W* existing(WindowId id) const { return window->windows().window<W>(id); }

    // A widget inside `parent` by objectName; the test stops when there is none.
    template <typename T> static T* child(const QObject* parent, const QString& name) {
        T* found = parent->findChild<T*>(name);
        if (!found)
            qFatal("no %s %s", T::staticMetaObject.className(), qPrintable(name));
        return found;
    }
    // The user types into a field and leaves it with Return.
    static void type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    static void type(const QWidget* w, const QString& name, const QString& text) {
        type(child<QLineEdit>(w, name), text);
    }
    static void click(const QWidget* w, const QString& name) {
        child<QPushButton>(w, name)->click();
    }

    // The languages in which `w` at its smallest does not fit a 1280 x 800 screen; the program
    // is left in `language`.
    QStringList largerThanScreen(const QWidget* w, int language = 0) const {
        const QStringList found = ::largerThanScreen(w, [this](int l) { window->setLanguage(l); });
        window->setLanguage(language);
        return found;
    }

    // How many boxes were shown with this title, or with this in their text.
    int askedWithTitle(const QString& title) const {
        int n = 0;
        for (const auto& a : interaction.asked)
            n += a.title == title;
        return n;
    }
    int askedContaining(const QString& text) const {
        int n = 0;
        for (const auto& a : interaction.asked)
            n += a.text.contains(text);
        return n;
    }
};
