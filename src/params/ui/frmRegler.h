#pragma once

#include "app/ui/SecondaryWindow.h"
#include "params/ChannelParameterForm.h"

#include <QList>

class FormBinder;
class QLabel;
class QLineEdit;

// The channel parameter editor: the 33 operating parameters of one channel, each stored as
// soon as its field is left, and the copy of them to another channel or to all. It works on
// the channel it was opened for until it is opened for another one.
class frmRegler : public SecondaryWindow {
    Q_OBJECT
public:
    explicit frmRegler(Workspace& ws);

    // `argument`: the channel 0..7; -1 keeps the channel.
    void openFor(int argument) override;
    void activated() override;
    void retranslate() override;

    ChannelParameterForm& form() { return m_form; }
    int channel() const { return m_form.channel() + 1; }
    // The copy button: copies to the channel in the copy field (0 = every channel).
    void copy();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWidgets();
    void showNames();
    void showUnits();
    void showCopyTarget(const QString& text);

    ChannelParameterForm m_form;
    FormBinder* m_binder = nullptr;
    QLabel* m_lblRegnr = nullptr;
    QLineEdit* m_txtpCopyKan = nullptr;
    QList<QLabel*> m_names; // lblParameter_0..32
};
