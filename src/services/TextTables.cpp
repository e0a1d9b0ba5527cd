#include "services/TextTables.h"

#include "base/SafeWrite.h"

#include <QDir>

QString textTableFilter() {
    return QStringLiteral("Tabelle (*.txt);;All Files (*)");
}

QString textTableProblem(const QString& path, const QString& reason) {
    return QStringLiteral("The file \"%1\" could not be written: %2.")
        .arg(QDir::toNativeSeparators(path), reason);
}

bool writeTextTable(const QString& path, const QString& text, QString* message) {
    const SafeWriteResult written = writeFileSafely(path, text.toUtf8());
    if (!written.ok && message)
        *message = textTableProblem(path, written.reason);
    return written.ok;
}
