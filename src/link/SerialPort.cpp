#include "link/SerialPort.h"

QString openFailureMessage(int errorNumber, const QString& description) {
    return QStringLiteral("Error %1  %2").arg(errorNumber).arg(description);
}
