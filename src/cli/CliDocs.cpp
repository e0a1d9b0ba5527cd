#include "cli/CliDocs.h"

#include "app/ProgramIdentity.h"
#include "base/ManualPage.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>

namespace {

constexpr int HelpWidth = 79;
constexpr int SummaryColumn = 31; // where --help's command list puts the summaries

QString usageOf(const CliCommand& command, const QString& form) {
    return form.isEmpty() ? QLatin1String(command.name) : QLatin1String(command.name) + u' ' + form;
}

QStringList usageLines(const CliCommand& command) {
    QStringList lines;
    for (const QString& form : QString::fromUtf8(command.usage).split(u'\n'))
        lines.append(usageOf(command, form));
    return lines;
}

// "a parameter-set command" -> "A parameter-set command."
QString sentence(const QString& text) {
    QString s = text.trimmed();
    if (s.isEmpty())
        return s;
    s[0] = s[0].toUpper();
    if (!s.endsWith(u'.') && !s.endsWith(u'!') && !s.endsWith(u'?'))
        s += u'.';
    return s;
}

// `text` filled into lines of at most `width` characters, each after `indent` blanks.
QStringList filled(const QString& text, int indent, int width = HelpWidth) {
    QStringList lines;
    QString line;
    for (const QString& word : text.simplified().split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > width) {
            lines.append(QString(indent, u' ') + line);
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        lines.append(QString(indent, u' ') + line);
    return lines;
}

// Paragraphs as the manual page reads them, laid out for a terminal.
QString helpParagraphs(const QString& text) {
    QStringList out;
    for (const TextParagraph& paragraph : textParagraphs(text))
        out.append(paragraph.verbatim ? paragraph.lines.join(u'\n')
                                      : filled(paragraph.lines.join(u' '), 0).join(u'\n'));
    return out.join(QStringLiteral("\n\n")) + u'\n';
}

// What the shell completion offers for a value or an argument, from its name in a usage or
// an option: the words of a list ("load1|load2", "de|en|fr|it") and files for a placeholder
// that names one ("FILE.tvk", "OUT.pdf", "FILE", "DEVICE").
struct Offer {
    QStringList words;
    bool files = false;
    QString extension; // of the files; empty: any file

    void add(const QString& name) {
        static const QRegularExpression word(QStringLiteral("^[a-z0-9][a-z0-9_-]*$"));
        static const QRegularExpression fileName(QStringLiteral("^[A-Z]+\\.([a-z0-9]+)$"));
        static const QRegularExpression fileWord(QStringLiteral("FILE|DIR|DEVICE|PATH"));
        for (const QString& alternative : name.split(u'|', Qt::SkipEmptyParts)) {
            const QString a = alternative.trimmed();
            const QRegularExpressionMatch file = fileName.match(a);
            if (file.hasMatch() || fileWord.match(a).hasMatch()) {
                const QString ext = file.hasMatch() ? file.captured(1) : QString();
                extension = !files ? ext : (extension == ext ? ext : QString());
                files = true;
            } else if (word.match(a).hasMatch() && !words.contains(a)) {
                words.append(a);
            }
        }
    }
    bool isEmpty() const { return words.isEmpty() && !files; }

    // The shell code that offers it.
    QString shell() const {
        QStringList calls;
        if (!words.isEmpty())
            calls.append(QStringLiteral("_q7400ctl_words '%1'").arg(words.join(u' ')));
        if (files)
            calls.append(QStringLiteral("_q7400ctl_files '%1'").arg(extension));
        return calls.join(QStringLiteral("; "));
    }
};

// The arguments of one usage form, in order: option groups ("[--force]", "[-o OUT.tvk]") and
// options with their values left out, optional arguments ("[0..8]") kept. An argument ending in
// "..." stands for every one from there on.
QStringList argumentsOf(const QString& form, const QSet<QString>& optionsWithValue) {
    QStringList arguments;
    const QStringList words = form.split(u' ', Qt::SkipEmptyParts);
    int skipDepth = 0; // inside an option group
    for (qsizetype i = 0; i < words.size(); ++i) {
        QString w = words[i];
        const int opens = int(w.count(u'['));
        const int closes = int(w.count(u']'));
        if (skipDepth > 0 || (w.startsWith(QStringLiteral("[-")))) {
            skipDepth += opens - closes;
            continue;
        }
        w.remove(u'[').remove(u']');
        if (w.isEmpty() || w == QLatin1String("|"))
            continue;
        if (w.startsWith(u'-')) {
            if (optionsWithValue.contains(w))
                ++i;
            continue;
        }
        arguments.append(w);
    }
    return arguments;
}

} // namespace

QString CliDocs::helpText() const {
    QString text = QStringLiteral("\nCommands (q7400ctl COMMAND --help tells more):\n");
    for (const CliCommand& c : commands) {
        const QStringList lines = usageLines(c);
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            text += QStringLiteral("  ") + lines[i] + u'\n';
        QString last = QStringLiteral("  ") + lines.last();
        const QStringList summary = filled(QString::fromUtf8(c.summary), SummaryColumn);
        if (last.size() < SummaryColumn - 1)
            text += last.leftJustified(SummaryColumn) + summary.join(u'\n').mid(SummaryColumn);
        else
            text += last + u'\n' + summary.join(u'\n');
        text += u'\n';
    }
    if (!editOperations.isEmpty()) {
        text += QStringLiteral("\nOperations of edit:\n");
        for (const EditOperation& op : editOperations)
            text += QStringLiteral("  %1\n").arg(
                QString::fromUtf8(op.synopsis).replace(u'\n', QStringLiteral("\n  ")));
    }
    text += QStringLiteral("\nExit status:\n");
    for (const ExitStatusText& e : exitStatusTexts)
        text += filled(QLatin1String(e.meaning), 5)
                    .join(u'\n')
                    .replace(0, 5, QStringLiteral("  %1  ").arg(e.status)) +
                u'\n';
    return text;
}

QString CliDocs::commandHelp(const CliCommand& command) {
    const QStringList lines = usageLines(command);
    QString text = QStringLiteral("Usage: q7400ctl ") + lines.first() + u'\n';
    for (qsizetype i = 1; i < lines.size(); ++i)
        text += QStringLiteral("       q7400ctl ") + lines[i] + u'\n';
    text += u'\n' + filled(sentence(QString::fromUtf8(command.summary)), 0).join(u'\n') + u'\n';
    if (*command.details)
        text += u'\n' + helpParagraphs(QString::fromUtf8(command.details));
    if (!command.examples.empty()) {
        text += QStringLiteral("\nExamples:\n");
        for (const CliExample& e : command.examples)
            text += QStringLiteral("  %1\n").arg(QString::fromUtf8(e.commandLine)) +
                    filled(QString::fromUtf8(e.what), 6).join(u'\n') + u'\n';
    }
    text += QStringLiteral("\nThe options of every command: q7400ctl --help.\n");
    return text;
}

QString CliDocs::manualPage() const {
    ManualPage page =
        programManualPage(QStringLiteral("q7400ctl"),
                          QStringLiteral("the Q7400 temperature controller from the command line"));
    page.synopsis = QStringList{QStringLiteral("q7400ctl [OPTION]... COMMAND [ARGUMENT]..."),
                                QStringLiteral("q7400ctl COMMAND --help"),
                                QStringLiteral("q7400ctl --help | --version")};

    page.sections.append(
        {QStringLiteral("DESCRIPTION"),
         QStringLiteral(
             "q7400ctl uses the same core as the desktop program q7400-config, without a "
             "display. It reads a controller into a configuration file and writes one back, "
             "shows and edits configuration files as the program's windows do, and talks to "
             "the controller's services. It is made for scripts and quick checks.\n\n"
             "Commands that talk to the controller use the serial port, baud rate, parity and "
             "controller address of the settings file (see FILES); --port, --baud, --parity, "
             "--address and --lang override them for one run. q7400ctl never changes the "
             "settings file. Commands that work on a configuration file need no controller.\n\n"
             "Texts from the controller's text table (parameter names, messages) are in the "
             "language of --lang, else in the language of the settings file."),
         {}});

    ManualSection commandSection{QStringLiteral("COMMANDS"), QString(), {}};
    for (const CliCommand& c : commands) {
        QString text = sentence(QString::fromUtf8(c.summary));
        if (*c.details)
            text += QStringLiteral("\n\n") + QString::fromUtf8(c.details);
        commandSection.items.append({usageLines(c), text});
    }
    page.sections.append(commandSection);

    if (!editOperations.isEmpty()) {
        QString text = QStringLiteral(
            "edit applies its operations in the order given. Each does what the same click or "
            "entry does in the program's window, so limits and cross-checks apply as there, "
            "and a refused operation stops the command before anything is saved.\n\n");
        for (const EditOperation& op : editOperations)
            for (const QString& line : QString::fromUtf8(op.synopsis).split(u'\n'))
                text += QStringLiteral("  ") + line + u'\n';
        page.sections.append({QStringLiteral("OPERATIONS OF EDIT"), text, {}});
    }

    page.sections.append({QStringLiteral("OPTIONS"), QString(), optionItems(options)});

    ManualSection exits{QStringLiteral("EXIT STATUS"), QString(), {}};
    for (const ExitStatusText& e : exitStatusTexts)
        exits.items.append({{QString::number(e.status)}, sentence(QLatin1String(e.meaning))});
    page.sections.append(exits);

    page.sections.append(settingsFileSection());

    QString examples;
    for (const CliCommand& c : commands)
        for (const CliExample& e : c.examples)
            examples += QString::fromUtf8(e.what) + QStringLiteral("\n\n  ") +
                        QString::fromUtf8(e.commandLine) + QStringLiteral("\n\n");
    if (!examples.isEmpty())
        page.sections.append({QStringLiteral("EXAMPLES"), examples, {}});

    page.sections.append(seeAlsoSection(page.name));
    return manualPageText(page);
}

QString CliDocs::bashCompletion() const {
    QStringList allOptions;
    QSet<QString> withValue;
    QString valueCases;
    for (const QCommandLineOption& option : options) {
        if (option.flags() & QCommandLineOption::HiddenFromHelp)
            continue;
        const QStringList names = typedNames(option);
        allOptions += names;
        if (option.valueName().isEmpty())
            continue;
        for (const QString& n : names)
            withValue.insert(n);
        Offer offer;
        offer.add(option.valueName());
        // A value the completion cannot offer (a number, a date) still takes the word.
        valueCases +=
            QStringLiteral("    %1) %2; return ;;\n")
                .arg(names.join(u'|'), offer.isEmpty() ? QStringLiteral(":") : offer.shell());
    }

    QStringList names;
    QString argumentCases;
    for (const CliCommand& c : commands) {
        names.append(QLatin1String(c.name));
        QMap<int, Offer> offers; // argument number, counted from 1 after the command
        int repeatFrom = 0;      // an argument "OP..." is offered for every number from here
        for (const QString& form : QString::fromUtf8(c.usage).split(u'\n')) {
            const QStringList arguments = argumentsOf(form, withValue);
            for (qsizetype i = 0; i < arguments.size(); ++i) {
                QString a = arguments[i];
                if (a.endsWith(QStringLiteral("..."))) {
                    a.chop(3);
                    repeatFrom = int(i) + 1;
                }
                if (a == QLatin1String("OP")) // an operation of edit: its key
                    for (const EditOperation& op : editOperations)
                        offers[int(i) + 1].words.append(QLatin1String(op.prefix));
                else
                    offers[int(i) + 1].add(a);
            }
        }
        QString arms;
        QString repeated;
        for (auto it = offers.cbegin(); it != offers.cend(); ++it) {
            if (it.value().isEmpty())
                continue;
            if (it.key() == repeatFrom)
                repeated = QStringLiteral("*) %1 ;; ").arg(it.value().shell());
            else
                arms += QStringLiteral("%1) %2 ;; ").arg(it.key()).arg(it.value().shell());
        }
        arms += repeated;
        if (!arms.isEmpty())
            argumentCases += QStringLiteral("    %1) case $n in %2esac ;;\n").arg(c.name, arms);
    }

    QStringList valueOptions = withValue.values();
    valueOptions.sort();
    QString script = QStringLiteral(
        R"(# bash completion for q7400ctl, written by q7400ctl --bash-completion from its
# commands and options.

_q7400ctl_words() {
    local IFS=$' \t\n'
    COMPREPLY+=($(compgen -W "$1" -- "$cur"))
}

# Files with the extension $1 (in any case), or any file; and folders to look into.
_q7400ctl_files() {
    local IFS=$'\n' pattern=
    compopt -o filenames 2>/dev/null
    if [[ -n $1 ]]; then
        local i c
        for ((i = 0; i < ${#1}; i++)); do
            c=${1:i:1}
            pattern+="[${c,,}${c^^}]"
        done
        COMPREPLY+=($(compgen -f -X "!*.$pattern" -- "$cur") $(compgen -d -- "$cur"))
    else
        COMPREPLY+=($(compgen -f -- "$cur"))
    fi
}

_q7400ctl() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    case $prev in
%1    esac
    if [[ $cur == -* ]]; then
        _q7400ctl_words '%2'
        return
    fi
    # The command is the first word that is neither an option nor an option's value; its
    # arguments are counted from 1.
    local i command= n=1
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        %3) ((i++)) ;;
        -*) ;;
        *) if [[ -z $command ]]; then command=${COMP_WORDS[i]}; else ((n++)); fi ;;
        esac
    done
    if [[ -z $command ]]; then
        _q7400ctl_words '%4'
        return
    fi
    case $command in
%5    esac
}
complete -F _q7400ctl q7400ctl
)");
    return script.arg(valueCases, allOptions.join(u' '), valueOptions.join(u'|'), names.join(u' '),
                      argumentCases);
}
