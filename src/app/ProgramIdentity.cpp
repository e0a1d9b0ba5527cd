#include "app/ProgramIdentity.h"

#include <QCoreApplication>

namespace {
QString version() {
    return QStringLiteral("%1.%2").arg(Q7400_VERSION_MAJOR).arg(Q7400_VERSION_MINOR);
}
} // namespace

void setProgramIdentity(const QString& name) {
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(version());
}

ManualPage programManualPage(const QString& name, const QString& summary) {
    ManualPage page;
    page.name = name;
    page.version = version();
    page.date = QStringLiteral(Q7400_RELEASE_DATE);
    page.summary = summary;
    return page;
}

ManualSection settingsFileSection() {
    return {QStringLiteral("FILES"),
            QString(),
            {{{QStringLiteral("Q7400n.cfg")},
              QStringLiteral(
                  "The settings file, four lines: the port settings (baud rate 4800, 9600, "
                  "19200 or 38400, parity e, o, s or n, 8 data bits, 1 stop bit, e.g. "
                  "19200,e,8,1), the port (a number 1..16, the n-th serial device of the "
                  "machine with USB adapters first, or a device path such as /dev/ttyUSB0), "
                  "the language (0 German, 1000 English, 2000 French, 3000 Italian) and the "
                  "controller address 0..255.\n\n"
                  "A program run from the folder it was built in, or from a copy of that "
                  "folder, keeps the file beside itself when it may write there. An installed "
                  "program, or one whose folder is read-only, keeps it in $XDG_CONFIG_HOME/q7400/, "
                  "which is ~/.config/q7400/ unless XDG_CONFIG_HOME is set. q7400-config writes "
                  "a missing or incomplete file with the defaults 19200,e,8,1, 1, 0, 3 when it "
                  "starts, and saves what is chosen in its Interface menu and language "
                  "flags.")},
             {{QStringLiteral("FILE.tvk")},
              QStringLiteral("A configuration file: the configuration and parameters of one "
                             "controller, without its setpoints.")}}};
}

ManualSection seeAlsoSection(const QString& name) {
    QStringList others;
    for (const QString& program :
         {QStringLiteral("q7400-config"), QStringLiteral("q7400ctl"), QStringLiteral("q7400-sim")})
        if (program != name)
            others.append(QStringLiteral("%1(1)").arg(program));
    return {QStringLiteral("SEE ALSO"), others.join(QStringLiteral(", ")), {}};
}
