#include "base/ColumnText.h"

void ColumnText::at(int column, const QString& text) {
    if (m_line.size() + 1 > column)
        endLine();
    m_line += QString(qMax(0, column - 1 - int(m_line.size())), u' ');
    m_line += text;
}

void ColumnText::endLine() {
    m_done += m_line;
    m_done += m_lineEnd;
    m_line.clear();
}

void ColumnText::endOpenLine() {
    if (lineOpen())
        endLine();
}

QString ColumnText::takeLines() {
    QString lines;
    lines.swap(m_done);
    return lines;
}
