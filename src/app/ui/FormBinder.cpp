#include "app/ui/FormBinder.h"

#include "device/DeviceData.h"
#include "i18n/StringTable.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>
#include <QToolTip>

namespace {
BindingErrorHandler& errorHandler() {
    static BindingErrorHandler handler;
    return handler;
}

void bindingError(const QString& message) {
    if (errorHandler()) {
        errorHandler()(message);
        return;
    }
    qFatal("%s", qPrintable(message));
}

// Menus and buttons read '&' as the mark of a mnemonic; a caption's own '&' is doubled.
QString escapedMnemonic(const QString& text) {
    QString escaped = text;
    return escaped.replace(u'&', QStringLiteral("&&"));
}

// Sets the text of a label or button; false for anything else.
bool setWidgetText(QWidget* widget, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
        return true;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(escapedMnemonic(text));
        return true;
    }
    return false;
}
} // namespace

BindingErrorHandler setBindingErrorHandler(BindingErrorHandler handler) {
    BindingErrorHandler previous = std::move(errorHandler());
    errorHandler() = std::move(handler);
    return previous;
}

QString withoutMnemonic(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i; // "&x" is x, "&&" is '&'
        plain += text[i];
    }
    return plain;
}

void setTextKeepingWidth(QWidget* widget, const std::function<QString(const Texts&)>& text,
                         const Texts& texts) {
    auto* label = qobject_cast<QLabel*>(widget);
    if (!label || !label->wordWrap()) {
        int width = 0;
        Texts other(texts.table());
        for (int language = 0; language < StringTable::LanguageCount; ++language) {
            other.setLanguageOffset(language * 1000);
            setWidgetText(widget, text(other));
            width = std::max(width, widget->sizeHint().width());
        }
        widget->setMinimumWidth(width);
    }
    setWidgetText(widget, text(texts));
}

void applyCaptions(QObject* root, const CaptionTable& captions, const Texts& texts) {
    for (const Caption& caption : captions) {
        const QString text = captionText(caption, texts);
        QObject* target =
            root->objectName() == caption.name ? root : root->findChild<QObject*>(caption.name);
        if (!target) {
            bindingError(QStringLiteral("No widget, menu or entry named '%1' in '%2' for its "
                                        "caption")
                             .arg(caption.name, root->objectName()));
            continue;
        }
        auto* widget = qobject_cast<QWidget*>(target);
        if (target == root && widget && widget->isWindow()) {
            widget->setWindowTitle(text);
        } else if (qobject_cast<QLabel*>(target) || qobject_cast<QAbstractButton*>(target)) {
            setTextKeepingWidth(
                widget, [&caption](const Texts& t) { return captionText(caption, t); }, texts);
        } else if (auto* menu = qobject_cast<QMenu*>(target)) {
            menu->setTitle(escapedMnemonic(text));
        } else if (auto* action = qobject_cast<QAction*>(target)) {
            action->setText(escapedMnemonic(text));
        } else if (auto* group = qobject_cast<QGroupBox*>(target)) {
            group->setTitle(escapedMnemonic(text));
        } else {
            bindingError(QStringLiteral("'%1' in '%2' cannot show a caption")
                             .arg(caption.name, root->objectName()));
        }
    }
}

FormBinder::FormBinder(QWidget* root, Form& form, CaptionTable captions)
    : QObject(root), m_root(root), m_form(form), m_captions(std::move(captions)) {
    m_bindings.resize(form.count());
    for (int i = 0; i < form.count(); ++i)
        bindField(i);
    connect(&m_form, &Form::valuesChanged, this, &FormBinder::showValues);
    connect(&m_form, &Form::refreshed, this, &FormBinder::refresh);
    connect(&m_form, &Form::editableChanged, this, &FormBinder::showEditable);
    // A window's form usually goes before its widgets: a line edit that loses the focus while
    // the window is destroyed must not reach the form any more.
    connect(&m_form, &QObject::destroyed, this, [this] {
        for (const Binding& b : std::as_const(m_bindings)) {
            if (b.widget)
                b.widget->disconnect(this);
            for (const QPointer<QWidget>& option : b.options)
                if (option)
                    option->disconnect(this);
        }
    });
    retranslate();
}

QWidget* FormBinder::widget(int field) const {
    const Binding& b = m_bindings.at(field);
    return b.widget ? b.widget.data() : b.options.value(0).data();
}

void FormBinder::bindField(int i) {
    const Field& f = m_form.field(i);
    Binding& b = m_bindings[i];
    const auto find = [this](const QString& name) {
        return m_root->findChild<QWidget*>(name);
    };
    const auto missing = [this, &f](const QString& name) {
        bindingError(QStringLiteral("No widget named '%1' in '%2' for field '%3'")
                         .arg(name, m_root->objectName(), f.name));
    };
    b.widget = find(f.name);
    if (!b.widget && f.display == DisplayKind::BitField) {
        for (int k = 0;; ++k) {
            auto* option = qobject_cast<QAbstractButton*>(find(indexedName(f.name, k)));
            if (!option)
                break;
            b.options.append(option);
            connect(option, &QAbstractButton::clicked, this, [this, i, k](bool on) {
                if (on)
                    report(i, m_form.editPosition(i, k));
            });
        }
    }
    if (!b.widget && b.options.isEmpty()) {
        missing(f.name);
        return;
    }
    for (const QString& name : QStringList(f.label) + f.companions) {
        if (name.isEmpty())
            continue;
        if (QWidget* w = find(name))
            b.shownWith.append(w);
        else
            missing(name);
    }
    if (!b.widget)
        return;

    QWidget* w = b.widget;
    const auto wrongKind = [this, &f, w] {
        bindingError(QStringLiteral("Field '%1' in '%2' cannot be shown by a %3")
                         .arg(f.name, m_root->objectName(),
                              QString::fromLatin1(w->metaObject()->className())));
    };
    if (qobject_cast<QLabel*>(w))
        return; // shows only
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (f.display == DisplayKind::Bit || f.display == DisplayKind::BitField)
            return wrongKind();
        connect(edit, &QLineEdit::editingFinished, this, [this, i, edit] {
            if (!edit->isReadOnly())
                report(i, m_form.editText(i, edit->text()));
            edit->setModified(false);
        });
    } else if (auto* box = qobject_cast<QComboBox*>(w)) {
        if (f.display != DisplayKind::BitField)
            return wrongKind();
        connect(box, &QComboBox::activated, this,
                [this, i](int position) { report(i, m_form.editPosition(i, position)); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(w); button && button->isCheckable()) {
        if (f.display != DisplayKind::Bit)
            return wrongKind();
        connect(button, &QAbstractButton::clicked, this,
                [this, i](bool on) { report(i, m_form.editChecked(i, on)); });
    } else {
        wrongKind();
    }
}

void FormBinder::commitPending() {
    for (int i = 0; i < m_form.count(); ++i)
        if (auto* edit = qobject_cast<QLineEdit*>(m_bindings.at(i).widget.data());
            edit && edit->isModified() && !edit->isReadOnly())
            report(i, m_form.editText(i, edit->text()));
}

void FormBinder::report(int field, const Form::EditResult& result) {
    // The edited widget shows what was stored, also when that is what it showed before.
    showValues({field});
    QWidget* w = widget(field);
    if (w) {
        const bool refused = result.outcome == Form::EditResult::Refused;
        w->setToolTip(refused ? result.message : QString());
        if (refused && w->isVisible())
            QToolTip::showText(w->mapToGlobal(QPoint(0, w->height())), result.message, w);
    }
    Q_EMIT edited(field, result);
}

void FormBinder::showValues(const QList<int>& fields) {
    for (int i : fields) {
        const Binding& b = m_bindings.at(i);
        if (!b.options.isEmpty()) {
            const int position = m_form.position(i);
            for (int k = 0; k < b.options.size(); ++k)
                if (auto* option = qobject_cast<QAbstractButton*>(b.options[k].data())) {
                    const QSignalBlocker block(option);
                    option->setChecked(k == position);
                }
            continue;
        }
        QWidget* w = b.widget;
        if (!w)
            continue;
        const QSignalBlocker block(w);
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            edit->setText(m_form.text(i));
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            label->setText(m_form.text(i));
        } else if (auto* box = qobject_cast<QComboBox*>(w)) {
            const int position = m_form.position(i);
            box->setCurrentIndex(position < box->count() ? position : -1);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            button->setChecked(m_form.checked(i));
        }
    }
}

void FormBinder::showField(int i) {
    const bool visible = m_form.isVisible(i);
    const Binding& b = m_bindings.at(i);
    if (b.widget)
        b.widget->setVisible(visible);
    for (const QPointer<QWidget>& option : b.options)
        if (option)
            option->setVisible(visible);
    for (const QPointer<QWidget>& w : b.shownWith)
        if (w)
            w->setVisible(visible);
}

void FormBinder::showEditable() {
    for (int i = 0; i < m_form.count(); ++i) {
        const bool editable = m_form.isEditable(i);
        const Binding& b = m_bindings.at(i);
        if (auto* edit = qobject_cast<QLineEdit*>(b.widget.data()))
            edit->setReadOnly(!editable);
        else if (b.widget && !qobject_cast<QLabel*>(b.widget.data()))
            b.widget->setEnabled(editable);
        for (const QPointer<QWidget>& option : b.options)
            if (option)
                option->setEnabled(editable);
    }
}

void FormBinder::refresh() {
    QList<int> all;
    for (int i = 0; i < m_form.count(); ++i) {
        if (auto* box = qobject_cast<QComboBox*>(m_bindings.at(i).widget.data())) {
            const QStringList choices = m_form.choices(i);
            QStringList shown;
            for (int k = 0; k < box->count(); ++k)
                shown.append(box->itemText(k));
            if (shown != choices) {
                const QSignalBlocker block(box);
                box->clear();
                box->addItems(choices);
            }
        }
        showField(i);
        all.append(i);
    }
    showValues(all);
    showEditable();
}

void FormBinder::retranslate() {
    const Texts& texts = m_form.data().texts;
    CaptionTable captions;
    for (int i = 0; i < m_form.count(); ++i) {
        const Field& f = m_form.field(i);
        if (f.caption == 0)
            continue;
        const QString carrier = f.label.isEmpty() ? f.name : f.label;
        if (f.label.isEmpty() && m_bindings.at(i).widget == nullptr) {
            bindingError(QStringLiteral("Field '%1' in '%2' has a caption but no widget to show it")
                             .arg(f.name, m_root->objectName()));
            continue;
        }
        captions.append(Caption{carrier, f.caption, QString(), QString()});
    }
    applyCaptions(m_root, captions + m_captions, texts);
    refresh();
}
