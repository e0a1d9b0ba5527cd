#pragma once

#include <QString>

class Interaction;

// The text tables the program writes (alarm-history change log, logger table, their CSV
// forms): UTF-8 with CR LF line ends, as the configuration file.

// File dialog filter of the text tables.
QString textTableFilter();
// What the user is told when a table cannot be written: the file and the reason.
QString textTableProblem(const QString& path, const QString& reason);
// Writes a whole table atomically. False with *message (textTableProblem) when it cannot.
bool writeTextTable(const QString& path, const QString& text, QString* message);

// The fixed-column text table or its CSV form.
enum class TableFile { Text, Csv };
// Asks for the file to write a table to: the save dialog with the filter of `kind`; ".txt" or
// ".csv" is added to a name without a suffix. Empty when the user cancelled.
QString chooseTableFile(Interaction& interaction, const QString& title, TableFile kind);
// Asks for a file and writes `text` to it; a failure is told, naming the file and the reason.
// False when cancelled or failed.
bool saveTableAs(Interaction& interaction, const QString& title, TableFile kind,
                 const QString& text);
