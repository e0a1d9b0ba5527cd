#pragma once

#include <QString>

// The text tables the program writes (alarm-history change log, logger table, their CSV
// forms): UTF-8 with CR LF line ends, as the configuration file.

// File dialog filter of the text tables.
QString textTableFilter();
// What the user is told when a table cannot be written: the file and the reason.
QString textTableProblem(const QString& path, const QString& reason);
// Writes a whole table atomically. False with *message (textTableProblem) when it cannot.
bool writeTextTable(const QString& path, const QString& text, QString* message);
