#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

// A manual page in the man(7) macros, laid out from the plain texts that also feed a program's
// --help, so the page and the program never drift apart.
//
// Texts: paragraphs are separated by a blank line; a paragraph whose lines all start with two
// blanks is set as it stands (command lines, tables), every other one is filled. Words of a
// filled text that start with "--" are set in bold.
//
// Synopsis lines ("read FILE.tvk [--id now|YYMMDDhhmmss]", "-o, --output FILE") set what is
// typed as it stands in bold and what stands for something else in italics: a word with a
// capital letter is a placeholder, the first word and every other word are literal. Brackets,
// bars and blanks stay roman.
struct ManualItem {
    QStringList terms; // synopsis lines, one tag line each
    QString text;
};

struct ManualSection {
    QString title; // "OPTIONS"
    QString text;  // before the items
    QList<ManualItem> items;
};

struct ManualPage {
    QString name;         // "q7400ctl"
    QString version;      // "4.21"
    QString date;         // "2026-12-06", the release's date
    QString summary;      // the NAME line after the name
    QStringList synopsis; // synopsis lines, each starting with the program's name
    QList<ManualSection> sections;
};

// The paragraphs of a text as the page reads them: its lines, and whether they are set as they
// stand (every line starts with two blanks; the blanks are kept).
struct TextParagraph {
    QStringList lines;
    bool verbatim = false;
};
QList<TextParagraph> textParagraphs(const QString& text);

// The page as roff source, section 1.
QString manualPageText(const ManualPage& page);

// Each option that --help shows, in the order given: its names as they are typed, its value's
// name, its description.
QList<ManualItem> optionItems(const QList<QCommandLineOption>& options);
