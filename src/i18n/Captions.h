#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <initializer_list>

class Texts;

// "txtParameter_12": the objectName of element i of an indexed widget array such as
// txtParameter(0..32). Every window names its widgets this way.
QString indexedName(QStringView stem, int i);

// One caption of a window: the widget, menu, action or window (its own objectName) that
// carries it and what it says. The text is `before` + text `text` in the language in use +
// `after`; `text` 0 leaves only the fixed parts ("Extra", "WLD  " + text 151).
struct Caption {
    QString name = {};
    int text = 0;
    QString before = {};
    QString after = {};
};

// A window's captions, applied in one go on start and on every language change (the ui's
// applyCaptions()). Build it once per window as a plain table:
//
//   const CaptionTable captions = {
//       {"lblRegler", 243},
//       {"cmdpCopyKan", 241},
//       {"mnuWLDauf", 151, "WLD  "},
//       {"mnuExtra", 0, "Extra"},
//   };
using CaptionTable = QList<Caption>;

// Captions that are text numbers only, e.g. the entries of a list: textList({355, 356, 357}).
QList<Caption> textList(std::initializer_list<int> texts);

// The caption's text in the language of `texts`.
QString captionText(const Caption& caption, const Texts& texts);
