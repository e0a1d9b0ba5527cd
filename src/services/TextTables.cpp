#include "services/TextTables.h"

#include "base/Interaction.h"
#include "base/SafeWrite.h"

#include <QDir>
#include <QFileInfo>

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

QString chooseTableFile(Interaction& interaction, const QString& title, TableFile kind) {
    const bool csv = kind == TableFile::Csv;
    const QString path = interaction.saveFileName(
        title, csv ? QStringLiteral("CSV (*.csv);;All Files (*)") : textTableFilter());
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + (csv ? QStringLiteral(".csv") : QStringLiteral(".txt"));
}

bool saveTableAs(Interaction& interaction, const QString& title, TableFile kind,
                 const QString& text) {
    const QString path = chooseTableFile(interaction, title, kind);
    if (path.isEmpty())
        return false;
    QString message;
    if (writeTextTable(path, text, &message))
        return true;
    interaction.inform(title, message, Interaction::Icon::Critical);
    return false;
}
