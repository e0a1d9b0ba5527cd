#pragma once

// Header only: the test support library has no widgets, the GUI tests include this.

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QStringList>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

// Checks of a window as the user sees it, for any language: nothing cut off at the window's
// smallest size, and every control reachable with the Tab key.
//
//   w->show();
//   QCOMPARE(cutOffAtMinimumSize(w), QStringList());
//   QCOMPARE(keyboardUnreachable(w), QStringList());
//
// With the environment variable Q7400_SHOT_DIR set, cutOffAtMinimumSize also saves a picture of
// the window at that size (`shot`.png) there, for a look by eye.

namespace WindowCheckDetail {
inline QString nameOf(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                     : w->objectName();
}

inline int textWidth(const QWidget* w, const QString& text) {
    return w->fontMetrics().size(Qt::TextShowMnemonic, text).width();
}

// Room for the text inside a button, a check box or a radio button.
inline int buttonRoom(QAbstractButton* b) {
    QStyleOptionButton option;
    option.initFrom(b);
    option.text = b->text();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<QCheckBox*>(b))
        contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<QRadioButton*>(b))
        contents = QStyle::SE_RadioButtonContents;
    int room = b->style()->subElementRect(contents, &option, b).width();
    if (!b->icon().isNull())
        room -= b->iconSize().width() + 4;
    return room;
}

inline int fieldRoom(QLineEdit* e) {
    QStyleOptionFrame option;
    option.initFrom(e);
    option.lineWidth =
        e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, e) : 0;
    const QMargins margins = e->textMargins();
    // QLineEdit keeps two pixels free on either side of its text.
    return e->style()->subElementRect(QStyle::SE_LineEditContents, &option, e).width() -
           margins.left() - margins.right() - 4;
}

// Tab enters a group of exclusive options at one of them (Qt takes the Tab focus from the
// others): the group is reachable when one of its shown, enabled options takes the Tab focus.
inline bool reachable(QWidget* window, QAbstractButton* b) {
    const auto takesTab = [window](QAbstractButton* option) {
        return option->isVisibleTo(window) && option->isEnabledTo(window) &&
               (option->focusPolicy() & Qt::TabFocus);
    };
    QList<QAbstractButton*> options{b};
    if (b->group() && b->group()->exclusive())
        options = b->group()->buttons();
    else if (b->autoExclusive() && b->parentWidget())
        for (QAbstractButton* sibling :
             b->parentWidget()->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
            if (sibling->autoExclusive() && !sibling->group())
                options.append(sibling);
    return std::any_of(options.begin(), options.end(), takesTab);
}

inline bool cutOff(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) {
        if (l->text().isEmpty())
            return false;
        if (l->wordWrap())
            return l->height() < l->heightForWidth(l->width());
        return l->width() < l->minimumSizeHint().width() ||
               l->height() < l->minimumSizeHint().height();
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        if (b->text().isEmpty())
            return false;
        const QSize needed = b->fontMetrics().size(Qt::TextShowMnemonic, b->text());
        return buttonRoom(b) < needed.width() || b->height() < needed.height();
    }
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->echoMode() == QLineEdit::Normal && fieldRoom(e) < textWidth(e, e->text());
    return false;
}
} // namespace WindowCheckDetail

// Shrinks the window to its minimum size and returns the objectNames of the visible texts
// that no longer fit: labels, buttons, check boxes and radio buttons narrower (or, wrapped,
// lower) than their text needs, and fields whose text is wider than the field. A window larger
// than a 1280 x 800 screen at its smallest is reported as "window WxH".
inline QStringList cutOffAtMinimumSize(QWidget* window, const QString& shot = QString()) {
    window->resize(window->minimumSizeHint().expandedTo(window->minimumSize()));
    if (window->layout())
        window->layout()->activate();
    QCoreApplication::sendPostedEvents();
    QStringList found;
    if (window->width() > 1280 || window->height() > 800)
        found << QStringLiteral("window %1x%2").arg(window->width()).arg(window->height());
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->isVisibleTo(window) && WindowCheckDetail::cutOff(w))
            found << WindowCheckDetail::nameOf(w);
    const QString dir = qEnvironmentVariable("Q7400_SHOT_DIR");
    if (!dir.isEmpty() && !shot.isEmpty())
        window->grab().save(QDir(dir).filePath(shot + QStringLiteral(".png")));
    return found;
}

// The objectNames of the visible, enabled controls that take input from the user (buttons,
// boxes, editable fields, lists) but cannot get the focus with the Tab key.
inline QStringList keyboardUnreachable(QWidget* window) {
    QStringList found;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || !w->isEnabledTo(window) ||
            w->testAttribute(Qt::WA_TransparentForMouseEvents))
            continue;
        const auto* field = qobject_cast<QLineEdit*>(w);
        const bool control = qobject_cast<QAbstractButton*>(w) || (field && !field->isReadOnly()) ||
                             qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                             qobject_cast<QAbstractItemView*>(w);
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (button ? !WindowCheckDetail::reachable(window, button)
                   : control && !(w->focusPolicy() & Qt::TabFocus))
            found << WindowCheckDetail::nameOf(w);
    }
    return found;
}