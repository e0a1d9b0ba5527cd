#include "app/ui/Screenshots.h"

#include "app/Workspace.h"
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

namespace {
// A configuration that shows what the wiring picture can draw: a continuous output, a free
// continuous output, a channel input, a special input of group 1 and a special output.
void demonstrationEdits(ConfigurationModel& m) {
    m.pressTerminal(16);
    m.releaseOnTarget(Wiring::slotOf(1, Wiring::Heating));
    m.toggleKind(17);
    m.modeClick(17);
    m.toggleDirection(2);
    m.toggleKind(2);
    m.chooseListEntry(2, 3);
    m.pressTerminal(2);
    m.releaseOnTarget(Wiring::FirstGroupLabel + 1);
    m.toggleDirection(3);
    m.chooseListEntry(3, 6);
    m.pressTerminal(3);
    m.releaseOnTarget(Wiring::slotOf(4, Wiring::Input));
    m.toggleKind(6);
    m.chooseListEntry(6, 1);
    m.pressTerminal(7);
    m.releaseOnTarget(Wiring::slotOf(8, Wiring::AlarmDirect));
}
} // namespace

// The wiring picture in English and German, normal and extended view, A0 and A2.
bool ScreenshotRun::saveWiring(frmKonfig& window) {
    Workspace& ws = window.workspace();
    ConfigurationModel& m = ws.configuration;
    const DeviceImage read = ws.image;
    const Identification identification = ws.identification;
    auto restore = [&] {
        ws.image = read;
        ws.identification = identification;
        ws.ShowFeatureCode();
        ws.announceIdentificationChanged();
        ws.announceImageReplaced();
    };
    bool ok = true;
    for (const auto& [language, code] : {std::pair{1, "en"}, std::pair{0, "de"}}) {
        restore();
        window.setLanguage(language);
        const QString suffix = QString::fromLatin1(code);
        m.SelectFeatureCode(0, ws.interaction());
        ok = save(window, QStringLiteral("wiring-%1-A0").arg(suffix)) && ok;
        m.SelectFeatureCode(2, ws.interaction());
        demonstrationEdits(m);
        ok = save(window, QStringLiteral("wiring-%1-A2").arg(suffix)) && ok;
        m.LoadExtendedView();
        m.pressTerminal(0);
        m.releaseOnTarget(Wiring::slotOf(1, Wiring::AlarmDirect));
        m.pressTerminal(1);
        m.releaseOnTarget(Wiring::slotOf(2, Wiring::AlarmReverse));
        ok = save(window, QStringLiteral("wiring-%1-extended").arg(suffix)) && ok;
    }
    restore();
    window.setLanguage(1);
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
    ok = saveWiring(window) && ok;
    window.buildPortList();
    ok = saveMenu(window, QStringLiteral("mnuPort"), QStringLiteral("menu-port")) && ok;
    ok = saveMenu(window, QStringLiteral("mnuBaud"), QStringLiteral("menu-baud")) && ok;
    ok = saveMenu(window, QStringLiteral("mnuPara"), QStringLiteral("menu-parameter")) && ok;
    window.setLanguage(2);
    ok = save(window, QStringLiteral("frmKonfig-fr")) && ok;
    window.setLanguage(1);
    return ok ? 0 : 1;
}
