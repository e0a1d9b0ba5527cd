#include "base/ColumnText.h"

ColumnText& ColumnText::at(int column, const QString& text) {
    const qsizetype start = std::max(column, 1) - 1;
    if (m_current.size() > start)
        endLine();
    m_current.append(QString(start - m_current.size(), u' '));
    m_current.append(text);
    return *this;
}

ColumnText& ColumnText::append(const QString& text) {
    m_current.append(text);
    return *this;
}

ColumnText& ColumnText::endLine() {
    m_lines.append(m_current);
    m_current.clear();
    return *this;
}

ColumnText& ColumnText::blankLines(int count) {
    for (int i = 0; i < count; ++i)
        endLine();
    return *this;
}

QStringList ColumnText::lines() const {
    QStringList all = m_lines;
    if (!m_current.isEmpty())
        all.append(m_current);
    return all;
}

QString ColumnText::joined(const QString& lineEnd) const {
    QString text;
    for (const QString& line : lines())
        text += line + lineEnd;
    return text;
}
