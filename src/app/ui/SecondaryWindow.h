#pragma once

#include "i18n/Captions.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class Form;
class FormBinder;
class LongOperation;
class QBoxLayout;
class QLineEdit;
class QPushButton;
class Workspace;

// Base of every window other than the main window. It is a top-level window of its own, never a
// child of the main window (monitoring disables the main window, and that would disable its
// child windows too). The WindowManager creates it on first use, shows it, switches its captions
// with the language and closes it at shutdown; it is hidden when closed, not deleted, so a
// handler of the window that still waits for the controller finds it intact.
//
//   class frmDevice : public SecondaryWindow {
//   public:
//       frmDevice(Workspace& ws) : SecondaryWindow(ws, "frmDevice"), m_form(ws) {
//           ...layout with objectNames...
//           setCaptions({{"frmDevice", 283, "Q7400"}, {"lblDevPara", 285}, {"Command1", 242}});
//           bind(m_form);
//       }
//       void activated() override { ... }
//   private:
//       DeviceParameterForm m_form;
//   };
class SecondaryWindow : public QWidget {
    Q_OBJECT
public:
    SecondaryWindow(Workspace& ws, const QString& objectName);
    ~SecondaryWindow() override;

    Workspace& workspace() const { return m_ws; }

    // Called by the WindowManager.
    // Before the window is shown: what it works on (channel 0..7, mask number 1..8, the ID
    // window's mode); -1 when it was opened without one.
    virtual void openFor(int argument);
    // Captions in the language in use: the window's caption table and its forms' captions.
    virtual void retranslate();
    // The user brought the window forward, or it was opened (the "activation" of the window's
    // rules). Never when it gets the focus back from its own message box or dialog or from
    // another program, and never while busy().
    virtual void activated() {}
    // An operation of this window is still running; closing waits for it.
    virtual bool busy() const;
    // Asked to end the running operation (on a close while busy).
    virtual void requestStop();

protected:
    // The window's own captions (buttons, headings, its title under its own objectName).
    void setCaptions(CaptionTable captions);
    // Shows `form` in this window: binds it by objectName, its captions follow the language.
    FormBinder* bind(Form& form);
    // A long operation of this window: busy() and requestStop() follow it, and a close while it
    // runs stops it and closes the window when it has ended.
    void watch(LongOperation& operation);
    // Runs a device operation of this window that waits in place (a button's exchange):
    // busy() while it runs, and a close meanwhile closes the window when it has ended.
    void runHeld(const std::function<void()>& operation);

    // A button `name` at the end of `layout`; a click runs `clicked`.
    QPushButton* addButton(QBoxLayout* layout, const QString& name, std::function<void()> clicked);
    // A line edit `name` over a window-local edit: when it is left, `take` gets its text and
    // returns what it shows from then on (the value as limited or kept).
    QLineEdit* addTakenField(QWidget* parent, const QString& name,
                             std::function<QString(const QString&)> take);
    // Takes the entry the user typed but has not left yet (a button pressed without taking the
    // focus, a shortcut, a close): run it before the fields' values are used.
    void commitFocusedField();

    void closeEvent(QCloseEvent* event) override;

private:
    Workspace& m_ws;
    CaptionTable m_captions;
    QList<FormBinder*> m_binders;
    QList<QPointer<LongOperation>> m_operations;
    int m_held = 0; // runHeld operations in progress
    bool m_closeWhenIdle = false;
};
