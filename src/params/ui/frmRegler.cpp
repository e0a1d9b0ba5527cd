#include "params/ui/frmRegler.h"

#include "app/Workspace.h"
#include "app/ui/FormBinder.h"
#include "base/Interaction.h"
#include "params/ui/Heading.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
// The two columns of the editor, top to bottom.
constexpr int LeftRows[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 24, 25, 29, 30, 31};
constexpr int RightRows[] = {12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 26, 27, 28, 32};

// Rows 10 and 41 are named after the input kind (UpdateInputNames).
QList<int> nameTexts(const ParameterTable& table, int parameter) {
    QList<int> ids{table[parameter].TextId};
    if (parameter == 10)
        ids.append(227);
    if (parameter == 41)
        ids.append(228);
    return ids;
}

QString copyTargetHelp(const Texts& texts) {
    static const char* const text[] = {"Kopieren nach: Kanal 1 bis 8, oder 0 für alle Kanäle",
                                       "Copy to: channel 1 to 8, or 0 for all channels",
                                       "Copier vers : canal 1 à 8, ou 0 pour tous les canaux",
                                       "Copia su: canale da 1 a 8, o 0 per tutti i canali"};
    return QString::fromUtf8(text[texts.languageIndex()]);
}
} // namespace

frmRegler::frmRegler(Workspace& ws) : SecondaryWindow(ws, QStringLiteral("frmRegler")), m_form(ws) {
    buildWidgets();
    setCaptions({{QStringLiteral("frmRegler"), 281, ws.identification.DeviceType},
                 {QStringLiteral("lblRegler"), 243},
                 {QStringLiteral("cmdpCopyKan"), 241},
                 {QStringLiteral("Command1"), 242}});
    m_binder = bind(m_form);
    connect(&m_form, &Form::refreshed, this, [this] {
        showNames();
        showUnits();
    });
    connect(&ws, &DeviceData::elementChanged, this, [this](int row, int) {
        if (ChannelUnitRows::affectsUnits(row))
            showUnits();
    });
    openFor(0);
}

void frmRegler::buildWidgets() {
    QHBoxLayout* head =
        windowHeading(this, QStringLiteral("lblRegler"), QStringLiteral("lblRegnr"), &m_lblRegnr);

    m_names.fill(nullptr, ChannelRows::Count);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    QList<QWidget*> tabOrder;
    auto addRow = [&](int row, int line, int firstColumn) {
        const ChannelParameterRow& r = ChannelRows::rows()[size_t(row)];
        auto* name = new QLabel(this);
        name->setObjectName(indexedName(u"lblParameter", row));
        auto* field = new QLineEdit(this);
        field->setObjectName(indexedName(u"txtParameter", row));
        field->setAlignment(Qt::AlignRight);
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(u'0') * 10 + 12);
        name->setBuddy(field);
        m_names[row] = name;
        tabOrder.append(field);
        grid->addWidget(name, line, firstColumn);
        grid->addWidget(field, line, firstColumn + 1);
        auto* units = new QHBoxLayout;
        units->setSpacing(0);
        for (const char* unitName : {r.unitLabel, r.minuteLabel}) {
            if (!unitName)
                continue;
            auto* unit = new QLabel(this);
            unit->setObjectName(QString::fromLatin1(unitName));
            units->addWidget(unit);
        }
        units->addStretch(1);
        grid->addLayout(units, line, firstColumn + 2);
    };
    int line = 0;
    for (int row : LeftRows)
        addRow(row, line++, 0);
    line = 0;
    for (int row : RightRows)
        addRow(row, line++, 4);
    grid->setColumnMinimumWidth(2, 52);
    grid->setColumnMinimumWidth(3, 24);
    grid->setColumnMinimumWidth(6, 52);
    grid->setColumnStretch(3, 1);

    auto* cmdCopy = new QPushButton(this);
    cmdCopy->setObjectName(QStringLiteral("cmdpCopyKan"));
    m_txtpCopyKan = new QLineEdit(this);
    m_txtpCopyKan->setObjectName(QStringLiteral("txtpCopyKan"));
    m_txtpCopyKan->setFixedWidth(m_txtpCopyKan->fontMetrics().horizontalAdvance(u'0') * 4 + 12);
    m_txtpCopyKan->setAlignment(Qt::AlignRight);
    auto* close = new QPushButton(this);
    close->setObjectName(QStringLiteral("Command1"));
    connect(cmdCopy, &QPushButton::clicked, this, &frmRegler::copy);
    // No copy while a transfer reads or writes the image (the fields are read-only then too).
    connect(&m_form, &Form::editableChanged, cmdCopy,
            [this, cmdCopy] { cmdCopy->setEnabled(!workspace().gate().imageLocked()); });
    connect(m_txtpCopyKan, &QLineEdit::returnPressed, this, &frmRegler::copy);
    connect(m_txtpCopyKan, &QLineEdit::textEdited, this, &frmRegler::showCopyTarget);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdCopy);
    buttons->addWidget(m_txtpCopyKan);
    buttons->addStretch(1);
    buttons->addWidget(close);
    tabOrder << cmdCopy << m_txtpCopyKan << close;
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

void frmRegler::openFor(int argument) {
    if (argument >= 0 && argument < 8 && argument != m_form.channel()) {
        // What is being typed belongs to the channel shown so far.
        m_binder->commitPending();
        m_form.setChannel(argument);
    }
    m_lblRegnr->setText(QString::number(channel()));
}

void frmRegler::activated() {
    m_form.repairFullScale();
    m_binder->refresh();
}

void frmRegler::retranslate() {
    SecondaryWindow::retranslate();
    showNames();
    showUnits();
}

void frmRegler::closeEvent(QCloseEvent* event) {
    // Leaving a field stores it; a field still being typed in is taken as left.
    m_binder->commitPending();
    SecondaryWindow::closeEvent(event);
}

void frmRegler::showNames() {
    const Workspace& ws = workspace();
    Texts other(ws.texts.table());
    for (int row = 0; row < ChannelRows::Count; ++row) {
        QLabel* label = m_names[row];
        const int parameter = ChannelParameterForm::parameterOf(row);
        // As wide as the longest name in any language, so nothing moves on a switch.
        int width = 0;
        for (int language = 0; language < StringTable::LanguageCount; ++language) {
            other.setLanguageOffset(language * 1000);
            for (int id : nameTexts(ws.table, parameter)) {
                label->setText(other.LoadText(id).trimmed());
                width = std::max(width, label->sizeHint().width());
            }
        }
        label->setMinimumWidth(width);
        label->setText(ws.table[parameter].Name.trimmed());
    }
}

void frmRegler::showUnits() {
    for (int row = 0; row < ChannelRows::Count; ++row) {
        const ChannelParameterRow& r = ChannelRows::rows()[size_t(row)];
        if (r.unitLabel)
            findChild<QLabel*>(QString::fromLatin1(r.unitLabel))->setText(m_form.unit(row));
        if (r.minuteLabel)
            findChild<QLabel*>(QString::fromLatin1(r.minuteLabel))->setText(m_form.minuteUnit(row));
    }
}

void frmRegler::showCopyTarget(const QString& text) {
    // A channel above 8 means channel 8 (shown in red, as a correction); a text that is no
    // target at all is red too.
    const std::optional<double> typed = strictNumber(text);
    const bool corrected = typed && *typed > 8 && ChannelParameterForm::copyTarget(text);
    if (corrected)
        m_txtpCopyKan->setText(QStringLiteral("8"));
    const bool wrong =
        corrected || (!text.trimmed().isEmpty() && !ChannelParameterForm::copyTarget(text));
    m_txtpCopyKan->setStyleSheet(wrong ? QStringLiteral("color: red;") : QString());
}

void frmRegler::copy() {
    m_binder->commitPending();
    Workspace& ws = workspace();
    const QString text = m_txtpCopyKan->text();
    const std::optional<int> target = ChannelParameterForm::copyTarget(text);
    if (!target) {
        m_txtpCopyKan->setStyleSheet(QStringLiteral("color: red;"));
        ws.interaction().inform(windowTitle(), copyTargetHelp(ws.texts));
        m_txtpCopyKan->setFocus();
        return;
    }
    m_txtpCopyKan->setStyleSheet(QString());
    m_txtpCopyKan->setText(QString::number(*target));
    m_form.copyTo(text);
}
