#include "i18n/Captions.h"

#include "i18n/StringTable.h"

QString indexedName(QStringView stem, int i) {
    return stem.toString() + u'_' + QString::number(i);
}

QString captionText(const Caption& caption, const Texts& texts) {
    QString text = caption.before;
    if (caption.text != 0)
        text += texts.LoadText(caption.text);
    return text + caption.after;
}

QList<Caption> textList(std::initializer_list<int> texts) {
    QList<Caption> list;
    for (int text : texts)
        list.append(Caption{QString(), text, QString(), QString()});
    return list;
}
