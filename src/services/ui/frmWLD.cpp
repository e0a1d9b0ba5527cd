#include "services/ui/frmWLD.h"

#include "app/Workspace.h"
#include "app/ui/WindowManager.h"

#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
constexpr WldTextField kTextFields[] = {WldTextField::Author, WldTextField::Family,
                                        WldTextField::Name};
} // namespace

frmWLD::frmWLD(Workspace& ws) : SecondaryWindow(ws, QStringLiteral("frmWLD")), m_edit(ws.wld) {
    auto* outer = new QVBoxLayout(this);
    const int digit = fontMetrics().horizontalAdvance(u'0');

    auto* block = new QHBoxLayout;
    auto* lblBstNr = new QLabel(this);
    lblBstNr->setObjectName(QStringLiteral("lblBstNr"));
    block->addWidget(lblBstNr);
    m_txtBstNr = addTakenField(this, QStringLiteral("txtBstNr"),
                               [this](const QString& t) { return m_edit.setBlockNumber(t); });
    m_txtBstNr->setFixedWidth(7 * digit + 12);
    lblBstNr->setBuddy(m_txtBstNr);
    block->addWidget(m_txtBstNr);
    block->addStretch(1);
    outer->addLayout(block);

    auto* header = new QGridLayout;
    auto* columns = new QLabel(this);
    columns->setObjectName(QStringLiteral("lblColumns"));
    header->addWidget(columns, 0, 0, 1, 4);
    static const char* const textNames[] = {"txtAutor", "txtFamily", "txtName"};
    for (int i = 0; i < 3; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(textNames[i]));
        connect(edit, &QLineEdit::editingFinished, this, [this, i, edit] { takeText(i, edit); });
        edit->setMaxLength(8);
        edit->setMinimumWidth(11 * digit + 12);
        header->addWidget(edit, 1, i);
        m_texts.append(edit);
    }
    columns->setBuddy(m_texts.first());
    m_txtVersion = addTakenField(this, QStringLiteral("txtVersion"),
                                 [this](const QString& t) { return m_edit.setVersion(t); });
    m_txtVersion->setFixedWidth(5 * digit + 12);
    header->addWidget(m_txtVersion, 1, 3);
    header->setColumnStretch(4, 1);
    outer->addLayout(header);

    auto* timeLabel = new QLabel(this);
    timeLabel->setObjectName(QStringLiteral("lblTime"));
    outer->addWidget(timeLabel);
    auto* time = new QHBoxLayout;
    for (int i = 0; i < 6; ++i) {
        QLineEdit* edit =
            addTakenField(this, indexedName(u"txtTime", i),
                          [this, i](const QString& t) { return m_edit.setTimeField(i, t); });
        edit->setAlignment(Qt::AlignRight);
        edit->setFixedWidth((i == 5 ? 6 : 4) * digit + 12);
        m_txtTime.append(edit);
        time->addWidget(edit);
        if (i == 2)
            time->addSpacing(2 * digit);
    }
    timeLabel->setBuddy(m_txtTime.first());
    time->addSpacing(digit);
    m_cmdGetPC = addButton(time, QStringLiteral("cmdGetPC"), [this] {
        m_edit.takeClock(QDateTime::currentDateTime());
        showFields();
    });
    time->addStretch(1);
    outer->addLayout(time);

    outer->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cmdGet = addButton(buttons, QStringLiteral("cmdGet"), [this] { accept(); });
    m_cmdPut = addButton(buttons, QStringLiteral("cmdPut"), [this] { save(); });
    outer->addLayout(buttons);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);

    setCaptions({
        {QStringLiteral("frmWLD"), 0, ws.identification.DeviceType + QStringLiteral(" WLD")},
        {QStringLiteral("lblBstNr"), 0, QStringLiteral("DB-Nr.")},
        {QStringLiteral("lblColumns"), 0,
         QStringLiteral("Autor                      Family                   Name                "
                        "  Vers.")},
        {QStringLiteral("lblTime"), 0, QStringLiteral("h : m : s       d . m . y")},
        {QStringLiteral("cmdGetPC"), 0, QStringLiteral("<=  PC-Time")},
        {QStringLiteral("cmdGet"), 502},
        {QStringLiteral("cmdPut"), 152},
    });
    showFields();
}

void frmWLD::openFor(int argument) {
    m_mode = argument == int(Mode::TakeOver) ? Mode::TakeOver : Mode::Save;
    m_content.reset();
    m_path.clear();
    m_edit = WldHeaderEdit(workspace().wld);
    if (m_mode == Mode::Save)
        m_edit.takeClock(QDateTime::currentDateTime());
    showFields();
}

void frmWLD::showFile(WldContent content, const QString& path) {
    WldHeaderFields fields = content.fields;
    if (!content.hasTime)
        fields.BlockTime = workspace().wld.BlockTime;
    m_edit = WldHeaderEdit(fields);
    m_content = std::move(content);
    m_path = path;
    showFields();
}

void frmWLD::showFields() {
    // A file being taken over is shown as it is; the fields are edited for a save.
    const bool editable = m_mode == Mode::Save;
    const auto show = [editable](QLineEdit* edit, const QString& text) {
        edit->setText(text);
        edit->setModified(false);
        edit->setReadOnly(!editable);
        edit->setToolTip(QString());
    };
    show(m_txtBstNr, m_edit.blockNumberText());
    show(m_txtVersion, m_edit.versionText());
    for (int i = 0; i < 3; ++i)
        show(m_texts[i], m_edit.text(kTextFields[i]));
    for (int i = 0; i < 6; ++i)
        show(m_txtTime[i], m_edit.timeText(i));
    m_cmdGetPC->setEnabled(editable);
    m_cmdPut->setEnabled(m_mode == Mode::Save);
    m_cmdGet->setEnabled(m_mode == Mode::TakeOver && m_content.has_value());
}

// Characters a header text cannot hold leave the field as it was and say why.
void frmWLD::takeText(int field, QLineEdit* edit) {
    QString why;
    const bool taken = m_edit.setText(kTextFields[field], edit->text(), &why);
    edit->setText(m_edit.text(kTextFields[field]));
    edit->setModified(false);
    edit->setToolTip(taken ? QString() : why);
}

void frmWLD::accept() {
    if (!m_content)
        return;
    const WldContent content = std::move(*m_content);
    m_content.reset();
    workspace().TakeOverWld(content, m_path);
    close();
}

void frmWLD::save() {
    commitFocusedField();
    if (workspace().SaveWldCommand(m_edit.fields()))
        close();
}

void openWldCommand(Workspace& ws, WindowManager& windows) {
    QString path;
    std::optional<WldContent> content = ws.OpenWldCommand(&path);
    if (!content)
        return;
    if (auto* w =
            qobject_cast<frmWLD*>(windows.open(WindowId::frmWLD, int(frmWLD::Mode::TakeOver))))
        w->showFile(std::move(*content), path);
}

void saveWldCommand(Workspace& ws, WindowManager& windows) {
    if (ws.SaveNeedsParameterSetId())
        windows.open(WindowId::frmID, int(ParameterSetIdMode::SaveWld));
    else if (ws.PrepareWldSave())
        windows.open(WindowId::frmWLD, int(frmWLD::Mode::Save));
}
