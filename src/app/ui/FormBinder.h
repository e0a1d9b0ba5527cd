#pragma once

#include "device/Form.h"
#include "i18n/Captions.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class Texts;

// Sets the captions of `captions` on what `root` holds, found by objectName: labels, buttons,
// check boxes, group boxes, menus and menu entries; a name equal to root's own objectName sets
// the window title. Labels and buttons keep the width of their longest caption in any of the
// four languages, so nothing moves when the language changes. The one function every window
// calls on start and on each language change.
void applyCaptions(QObject* root, const CaptionTable& captions, const Texts& texts);

// Sets a label's or button's text to text(texts) and its minimum width to the widest of text()
// in the four languages, so nothing moves when the language changes.
void setTextKeepingWidth(QWidget* widget, const std::function<QString(const Texts&)>& text,
                         const Texts& texts);

// A name in a caption table or field list that names nothing (or a widget that cannot show the
// field) is a programming error. By default the program stops with a message naming it, so that
// every test that opens the window finds it; a test of the binder itself installs its own
// handler (returns the previous one).
using BindingErrorHandler = std::function<void(const QString& message)>;
BindingErrorHandler setBindingErrorHandler(BindingErrorHandler handler);

// Connects a Form to the widgets of a window by objectName; the only code that knows widget
// types:
//
//   field display   widget                        user edit
//   Bit             QCheckBox (any checkable button)   clicked -> Form::editChecked
//   BitField        QComboBox, or option buttons name_0, name_1, ...
//                                                 activated / clicked -> Form::editPosition
//   any other       QLineEdit                     editingFinished -> Form::editText
//   any             QLabel                        (shows only)
//
// It shows every value, hides a field together with its label and companions, makes editors
// read-only while the form is not editable, and follows the form's signals. An edit that is
// refused or adjusted leaves its message as the widget's tool tip and in edited().
//
//   m_binder = new FormBinder(this, m_form, {{"frmDevice", 283, "Q7400"}, {"Command1", 242}});
//
// A SecondaryWindow makes its binders with bind(), which also retranslates them when the
// language changes.
class FormBinder : public QObject {
    Q_OBJECT
public:
    // Binds at once and shows everything in the language in use.
    FormBinder(QWidget* root, Form& form, CaptionTable captions = {});

    Form& form() const { return m_form; }
    // The widget of a field (the first option button of an option group).
    QWidget* widget(int field) const;

    // Takes every entry the user typed but has not left yet (a button pressed without taking
    // the focus, a shortcut): run it before a command uses the fields' values.
    void commitPending();

    // Every field again from the form: values, visibility, choices, editability.
    void refresh();
    // Captions of the fields and of the table, and list entries, in the language in use.
    void retranslate();

Q_SIGNALS:
    // After each edit by the user.
    void edited(int field, const Form::EditResult& result);

private:
    struct Binding {
        QPointer<QWidget> widget;
        QList<QPointer<QWidget>> options;   // option buttons of a BitField
        QList<QPointer<QWidget>> shownWith; // label and companions
    };

    void bindField(int field);
    void showField(int field);
    void showValues(const QList<int>& fields);
    void showEditable();
    void report(int field, const Form::EditResult& result);

    QWidget* m_root;
    Form& m_form;
    CaptionTable m_captions;
    QList<Binding> m_bindings;
};

// The text a caption shows without its keyboard mnemonic ("&Datei" -> "Datei", "A && B" ->
// "A & B").
QString withoutMnemonic(const QString& text);
