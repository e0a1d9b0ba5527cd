#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QStringList>

// An option's names as they are typed: "-o", "--output".
inline QStringList typedNames(const QCommandLineOption& option) {
    QStringList names;
    for (const QString& name : option.names())
        names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    return names;
}

// Adds options to a QCommandLineParser and keeps them in order: the parser cannot list the
// options it was given, and a program's manual page and shell completion are written from them.
class OptionList {
public:
    explicit OptionList(QCommandLineParser& parser) : m_parser(parser) {}

    // As QCommandLineParser's: an option whose name is taken already is refused (and not kept).
    bool addOption(const QCommandLineOption& option) {
        if (!m_parser.addOption(option))
            return false;
        m_options.append(option);
        return true;
    }
    bool addOptions(const QList<QCommandLineOption>& options) {
        bool all = true;
        for (const QCommandLineOption& option : options)
            all = addOption(option) && all;
        return all;
    }
    void addHelpOption() {
        m_options.append(m_parser.addHelpOption());
        // The parser adds --help-all with it but does not return it.
        m_options.append(QCommandLineOption(QStringLiteral("help-all"),
                                            QStringLiteral("Displays help including Qt specific "
                                                           "options.")));
    }
    void addVersionOption() { m_options.append(m_parser.addVersionOption()); }

    QCommandLineParser& parser() { return m_parser; }
    const QList<QCommandLineOption>& options() const { return m_options; }

private:
    QCommandLineParser& m_parser;
    QList<QCommandLineOption> m_options;
};
