#pragma once

#include <QString>
#include <QTemporaryDir>

class frmKonfig;

// Renders the program's windows to PNG files for the documentation and for review, without
// anybody at the screen: the main window as it starts, after a read from the controller (when
// one answers), its wiring picture in English and German (normal and extended view, I/O
// equipment A0 and A2) and in French. Runs with a settings file of its own (English), so the user's
// settings stay untouched.
class ScreenshotRun {
public:
    explicit ScreenshotRun(const QString& directory);

    QString settingsPath() const;
    // Returns the exit status: 0 when every picture was written.
    int run(frmKonfig& window);

private:
    bool save(frmKonfig& window, const QString& name);
    bool saveWiring(frmKonfig& window);
    bool saveMenu(frmKonfig& window, const QString& menuName, const QString& name);

    QString m_directory;
    QTemporaryDir m_scratch;
};
