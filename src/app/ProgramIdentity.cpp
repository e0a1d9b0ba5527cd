#include "app/ProgramIdentity.h"

#include <QCoreApplication>

void setProgramIdentity(const QString& name) {
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(
        QStringLiteral("%1.%2").arg(Q7400_VERSION_MAJOR).arg(Q7400_VERSION_MINOR));
}
