#pragma once

#include "app/ui/SecondaryWindow.h"
#include "services/WldEdit.h"

#include <QList>

#include <optional>

class QLineEdit;
class QPushButton;
class WindowManager;

// The memory image's block header: block number, version, author, family, name and time. In
// save mode (after the save preparation) its Save writes the WLD file; in take-over mode it
// shows a file that was opened and checked, and its Accept takes that file into the program.
// The fields are filled when the window opens, not when it is brought forward again, so
// switching windows keeps what the user typed.
class frmWLD : public SecondaryWindow {
    Q_OBJECT
public:
    enum class Mode { Save = 0, TakeOver = 1 };

    explicit frmWLD(Workspace& ws);

    // The mode (Mode). Save mode starts from the kept header fields with the PC clock's time.
    void openFor(int argument) override;
    Mode mode() const { return m_mode; }
    // Take-over mode: the file opened and its content, shown until Accept.
    void showFile(WldContent content, const QString& path);

private:
    void showFields();
    void takeText(int field, QLineEdit* edit);
    void accept();
    void save();

    Mode m_mode = Mode::Save;
    WldHeaderEdit m_edit;
    std::optional<WldContent> m_content;
    QString m_path;
    QLineEdit* m_txtBstNr = nullptr;
    QLineEdit* m_txtVersion = nullptr;
    QList<QLineEdit*> m_texts; // author, family, name
    QList<QLineEdit*> m_txtTime;
    QPushButton* m_cmdGetPC = nullptr;
    QPushButton* m_cmdGet = nullptr;
    QPushButton* m_cmdPut = nullptr;
};

// "WLD  Open": the file dialog, the file checked, then the WLD window in take-over mode.
void openWldCommand(Workspace& ws, WindowManager& windows);
// "WLD  Save": on firmware above 0x34 the parameter-set-ID window first; otherwise the device
// image into the memory image and the WLD window in save mode.
void saveWldCommand(Workspace& ws, WindowManager& windows);
