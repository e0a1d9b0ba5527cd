#include "app/ui/Mnemonics.h"

#include "app/ui/FormBinder.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

namespace {
// The position in `plain` of the mnemonic, -1 when every letter is taken.
qsizetype chooseMnemonic(const QString& plain, QSet<QChar>& taken) {
    const auto free = [&](qsizetype i) {
        return plain[i].isLetterOrNumber() && !taken.contains(plain[i].toLower());
    };
    for (qsizetype i = 0; i < plain.size(); ++i)
        if ((i == 0 || !plain[i - 1].isLetterOrNumber()) && free(i))
            return i;
    for (qsizetype i = 0; i < plain.size(); ++i)
        if (free(i))
            return i;
    return -1;
}

void assignTo(const QList<QAction*>& actions) {
    QSet<QChar> taken;
    for (QAction* action : actions) {
        if (action->isSeparator())
            continue;
        const QString plain = withoutMnemonic(action->text());
        const qsizetype at = chooseMnemonic(plain, taken);
        QString marked;
        for (qsizetype i = 0; i < plain.size(); ++i) {
            if (i == at)
                marked += u'&';
            marked += plain[i] == u'&' ? QStringLiteral("&&") : QString(plain[i]);
        }
        if (at >= 0)
            taken.insert(plain[at].toLower());
        action->setText(marked);
        if (QMenu* sub = action->menu())
            assignMnemonics(sub);
    }
}
} // namespace

void assignMnemonics(QMenuBar* bar) {
    assignTo(bar->actions());
}

void assignMnemonics(QMenu* menu) {
    assignTo(menu->actions());
}
