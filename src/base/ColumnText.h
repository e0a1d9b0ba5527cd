#pragma once

#include <QString>

// Text laid out at fixed 1-based character columns, the way the program's text tables (the
// logger table, the alarm-history change log) line up their values: a value placed at a column
// the current line has not reached yet is padded to it with blanks; when the line is already
// past that column, the line ends and the value starts at the column of a new line. Columns
// count characters, not bytes.
//
//   ColumnText t;
//   t.at(1, "0.00");
//   t.at(11, "20.0");
//   t.endLine();      // "0.00      20.0\r\n"
class ColumnText {
public:
    explicit ColumnText(QString lineEnd = QStringLiteral("\r\n")) : m_lineEnd(std::move(lineEnd)) {}

    // Appends at the current position.
    void write(const QString& text) { m_line += text; }
    // Places `text` at `column` (1-based) as described above.
    void at(int column, const QString& text);
    void endLine();
    // Ends the current line unless it is empty.
    void endOpenLine();

    // The finished lines and the line being written (without a line end).
    QString text() const { return m_done + m_line; }
    // Takes the finished lines out, keeping the line being written: for writers that pass the
    // text on line by line.
    QString takeLines();
    bool lineOpen() const { return !m_line.isEmpty(); }

private:
    QString m_lineEnd;
    QString m_done;
    QString m_line;
};
