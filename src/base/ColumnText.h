#pragma once

#include <QString>
#include <QStringList>

// Text laid out in fixed columns, as the printed parameter overview, the monitoring log and the
// history and logger tables are: each piece of text starts at a given 1-based column of the
// current line, padded with blanks. When the line already reaches that column, the line ends
// and the text starts at that column of the next line, so nothing is ever overwritten.
//
//   ColumnText t;
//   t.at(16, "Setpoint").at(54, "123.4").at(65, "80.0").endLine();
//   t.blankLines(2);
//   t.lines(); // {"               Setpoint" + ..., "", ""}
class ColumnText {
public:
    // Places `text` at 1-based `column` (columns below 1 count as 1).
    ColumnText& at(int column, const QString& text);
    // Appends `text` where the line stands.
    ColumnText& append(const QString& text);
    // Ends the current line (an empty line when nothing was placed on it).
    ColumnText& endLine();
    ColumnText& blankLines(int count);

    // Every ended line, then the current one if it has text. Trailing blanks are never added.
    QStringList lines() const;
    // The lines joined by `lineEnd` with one after the last ("\r\n" for files read on Windows).
    QString joined(const QString& lineEnd = QStringLiteral("\n")) const;

private:
    QStringList m_lines;
    QString m_current;
};
