#include "base/ManualPage.h"

#include "base/OptionList.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// Plain text as roff: backslashes and hyphens escaped (a "\-" is the ASCII hyphen a reader can
// copy into a shell), a control character at the start of a line made harmless.
QString escaped(const QString& text) {
    QString out = text;
    out.replace(u'\\', QStringLiteral("\\e"));
    out.replace(u'-', QStringLiteral("\\-"));
    return out;
}

QString lineStart(const QString& line) {
    return line.startsWith(u'.') || line.startsWith(u'\'') ? QStringLiteral("\\&") + line : line;
}

QString bold(const QString& text) {
    return QStringLiteral("\\fB") + escaped(text) + QStringLiteral("\\fR");
}

QString italic(const QString& text) {
    return QStringLiteral("\\fI") + escaped(text) + QStringLiteral("\\fR");
}

bool isSeparator(QChar c) {
    return c == u' ' || c == u'[' || c == u']' || c == u'|' || c == u'{' || c == u'}' || c == u',';
}

bool hasCapital(const QString& word) {
    return std::any_of(word.begin(), word.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
}

QString synopsisLine(const QString& line) {
    QString out;
    bool first = true;
    qsizetype i = 0;
    while (i < line.size()) {
        if (isSeparator(line[i])) {
            out += escaped(QString(line[i++]));
            continue;
        }
        qsizetype end = i;
        if (line[i] == u'"') {
            end = line.indexOf(u'"', i + 1);
            end = end < 0 ? line.size() : end + 1;
        } else {
            while (end < line.size() && !isSeparator(line[end]))
                ++end;
        }
        const QString word = line.mid(i, end - i);
        const bool literal = first || word.startsWith(u'-') || !hasCapital(word);
        out += literal ? bold(word) : italic(word);
        first = false;
        i = end;
    }
    return lineStart(out);
}

QString filledLine(const QString& line) {
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--[a-z][a-z0-9-]*"));
    QString out;
    qsizetype from = 0;
    for (auto it = option.globalMatch(line); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += escaped(line.mid(from, m.capturedStart() - from)) + bold(m.captured());
        from = m.capturedEnd();
    }
    out += escaped(line.mid(from));
    // Paths and names of variables are never hyphenated.
    QStringList words = out.split(u' ');
    for (QString& w : words)
        if (w.contains(u'/') || w.contains(u'_'))
            w.prepend(QStringLiteral("\\%"));
    return lineStart(words.join(u' '));
}

// The paragraphs of `text`, each started by `macro` (".PP" in a section, ".IP" in an item's
// body); the first one of an item's body follows its tag without one.
QString paragraphs(const QString& text, const QString& macro, bool macroFirst) {
    QString out;
    for (const TextParagraph& paragraph : textParagraphs(text)) {
        if (macroFirst || !out.isEmpty())
            out += macro;
        if (paragraph.verbatim) {
            out += QStringLiteral(".RS 2\n.nf\n");
            for (const QString& l : paragraph.lines)
                out += lineStart(escaped(l.mid(2))) + u'\n';
            out += QStringLiteral(".fi\n.RE\n");
        } else {
            for (const QString& l : paragraph.lines)
                out += filledLine(l.trimmed()) + u'\n';
        }
    }
    return out;
}

} // namespace

QList<TextParagraph> textParagraphs(const QString& text) {
    QList<TextParagraph> paragraphs;
    for (const QString& part : text.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
        TextParagraph p;
        for (const QString& line : part.split(u'\n'))
            if (!line.trimmed().isEmpty())
                p.lines.append(line);
        if (p.lines.isEmpty())
            continue;
        p.verbatim = std::all_of(p.lines.begin(), p.lines.end(), [](const QString& l) {
            return l.startsWith(QStringLiteral("  "));
        });
        paragraphs.append(p);
    }
    return paragraphs;
}

QString manualPageText(const ManualPage& page) {
    QString out =
        QStringLiteral(".\\\" Written by %1 --man from the texts of its --help.\n").arg(page.name);
    out += QStringLiteral(".TH \"%1\" 1 \"%2\" \"%3 %4\" \"User Commands\"\n")
               .arg(page.name.toUpper(), page.date, page.name, page.version);
    out += QStringLiteral(".SH NAME\n%1 \\- %2\n").arg(escaped(page.name), escaped(page.summary));
    out += QStringLiteral(".SH SYNOPSIS\n");
    for (qsizetype i = 0; i < page.synopsis.size(); ++i)
        out += (i ? QStringLiteral(".br\n") : QString()) + synopsisLine(page.synopsis[i]) + u'\n';
    for (const ManualSection& section : page.sections) {
        out += QStringLiteral(".SH \"%1\"\n").arg(section.title);
        out += paragraphs(section.text, QStringLiteral(".PP\n"), true);
        for (const ManualItem& item : section.items) {
            for (qsizetype i = 0; i < item.terms.size(); ++i)
                out += (i ? QStringLiteral(".TQ\n") : QStringLiteral(".TP\n")) +
                       synopsisLine(item.terms[i]) + u'\n';
            out += paragraphs(item.text, QStringLiteral(".IP\n"), false);
        }
    }
    return out;
}

QList<ManualItem> optionItems(const QList<QCommandLineOption>& options) {
    QList<ManualItem> items;
    for (const QCommandLineOption& option : options) {
        if (option.flags() & QCommandLineOption::HiddenFromHelp)
            continue;
        QString term = typedNames(option).join(QStringLiteral(", "));
        // A value name with blanks ("YYYY-MM-DD hh:mm") is one placeholder.
        const QString value = option.valueName();
        if (!value.isEmpty())
            term += u' ' + (value.contains(u' ') ? u'"' + value + u'"' : value);
        items.append({{term}, option.description()});
    }
    return items;
}
