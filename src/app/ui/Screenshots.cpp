#include "app/ui/Screenshots.h"

#include "app/ui/frmKonfig.h"
#include "link/PortSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QPixmap>
#include <QTextStream>

ScreenshotRun::ScreenshotRun(const QString& directory) : m_directory(directory) {
    PortSettings english;
    english.LanguageOffset = 1000;
    savePortSettings(settingsPath(), english);
}

QString ScreenshotRun::settingsPath() const {
    return m_scratch.filePath(QStringLiteral("Q7400n.cfg"));
}

bool ScreenshotRun::save(frmKonfig& window, const QString& name) {
    // Captions changed just now: let the layouts take their new sizes first.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QString path = QDir(m_directory).filePath(name + QStringLiteral(".png"));
    const bool ok = window.grab().save(path);
    QTextStream(stderr) << (ok ? "wrote " : "could not write ") << path << Qt::endl;
    return ok;
}

bool ScreenshotRun::saveMenu(frmKonfig& window, const QString& menuName, const QString& name) {
    QMenu* menu = window.findChild<QMenu*>(menuName);
    if (!menu)
        return false;
    menu->popup(window.mapToGlobal(QPoint(20, 20)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QString path = QDir(m_directory).filePath(name + QStringLiteral(".png"));
    const bool ok = menu->grab().save(path);
    menu->hide();
    QTextStream(stderr) << (ok ? "wrote " : "could not write ") << path << Qt::endl;
    return ok;
}

int ScreenshotRun::run(frmKonfig& window) {
    if (!QDir().mkpath(m_directory)) {
        QTextStream(stderr) << "cannot create " << m_directory << Qt::endl;
        return 1;
    }
    window.show();
    bool ok = save(window, QStringLiteral("frmKonfig-start"));
    if (window.portOpen()) {
        window.readAll();
        ok = save(window, QStringLiteral("frmKonfig")) && ok;
    }
    window.buildPortList();
    ok = saveMenu(window, QStringLiteral("mnuPort"), QStringLiteral("menu-port")) && ok;
    ok = saveMenu(window, QStringLiteral("mnuBaud"), QStringLiteral("menu-baud")) && ok;
    ok = saveMenu(window, QStringLiteral("mnuPara"), QStringLiteral("menu-parameter")) && ok;
    window.setLanguage(2);
    ok = save(window, QStringLiteral("frmKonfig-fr")) && ok;
    window.setLanguage(1);
    return ok ? 0 : 1;
}
