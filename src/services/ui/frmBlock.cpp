#include "services/ui/frmBlock.h"

#include "app/Workspace.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
constexpr int kPerBlock = 4;
constexpr int kChannelBlocks = 13; // 10 .. 1C
constexpr int kFieldCount = 96;

// The label of the data block whose four fields start at `first`.
QString blockLabel(int first) {
    const int block = first / kPerBlock;
    if (block < kChannelBlocks)
        return QStringLiteral("1%1 ... 8%1").arg(block, 1, 16).toUpper();
    const int device = block - kChannelBlocks;
    return device <= 9 ? QStringLiteral("9%1").arg(device) : QString();
}
} // namespace

frmBlock::frmBlock(Workspace& ws)
    : SecondaryWindow(ws, QStringLiteral("frmBlock")), m_edit(ws, ws.services(), ws.interaction()) {
    auto* outer = new QVBoxLayout(this);
    auto* sections = new QHBoxLayout;
    const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 14;
    const auto* hex = new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\s*[0-9A-Fa-f]{0,2}\\s*")), this);
    QGridLayout* grid = nullptr;
    int row = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        if (i == 0 || i == kChannelBlocks * kPerBlock) {
            auto* section = new QVBoxLayout;
            auto* heading = new QLabel(this);
            heading->setObjectName(i == 0 ? QStringLiteral("lblChannel")
                                          : QStringLiteral("lblDevice"));
            section->addWidget(heading);
            grid = new QGridLayout;
            grid->setHorizontalSpacing(4);
            grid->setVerticalSpacing(2);
            section->addLayout(grid);
            section->addStretch(1);
            sections->addLayout(section);
            sections->addSpacing(16);
            row = 0;
        }
        if (i % kPerBlock == 0) {
            auto* label = new QLabel(blockLabel(i), this);
            label->setObjectName(indexedName(u"lblBlock", i / kPerBlock));
            grid->addWidget(label, row, 0);
        }
        auto* edit = new QLineEdit(this);
        edit->setObjectName(indexedName(u"txtBL", i));
        edit->setFixedWidth(fieldWidth);
        edit->setAlignment(Qt::AlignCenter);
        edit->setMaxLength(4);
        edit->setValidator(hex);
        connect(edit, &QLineEdit::textEdited, edit, [edit] {
            edit->setStyleSheet(QString());
            edit->setToolTip(QString());
        });
        grid->addWidget(edit, row, 1 + i % kPerBlock);
        m_txtBL.append(edit);
        if (i % kPerBlock == kPerBlock - 1)
            ++row;
    }
    sections->addStretch(1);
    outer->addLayout(sections);

    auto* buttons = new QHBoxLayout;
    m_cmdNeu = addButton(buttons, QStringLiteral("cmdNeu"), [this] { readAgain(); });
    addButton(buttons, QStringLiteral("cmdBLstd"), [this] { loadDefaults(); });
    buttons->addStretch(1);
    addButton(buttons, QStringLiteral("cmdSave"), [this] { save(); });
    addButton(buttons, QStringLiteral("cmdAbbruch"), [this] { close(); });
    outer->addLayout(buttons);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);

    setCaptions({
        {QStringLiteral("frmBlock"), 0, ws.identification.DeviceType + QStringLiteral("  Block")},
        {QStringLiteral("lblChannel"), 0, QStringLiteral("Channel")},
        {QStringLiteral("lblDevice"), 0, QStringLiteral("Device")},
        {QStringLiteral("cmdNeu"), 312},
        {QStringLiteral("cmdBLstd"), 0, QStringLiteral("Default")},
        {QStringLiteral("cmdSave"), 0, QStringLiteral("o.k.")},
        {QStringLiteral("cmdAbbruch"), 302},
    });
    // A controller read meanwhile decides whether the table can be exchanged.
    connect(&ws, &DeviceData::identificationChanged, this, &frmBlock::showTransferable);
    showFields();
}

void frmBlock::openFor(int) {
    // Opened again while it is open: what the user typed stays.
    if (!isVisible())
        showFields();
}

void frmBlock::activated() {
    showTransferable();
}

void frmBlock::showTransferable() {
    m_cmdNeu->setEnabled(m_edit.canTransfer());
}

void frmBlock::showFields() {
    const QStringList texts = m_edit.fieldTexts();
    for (int i = 0; i < m_txtBL.size(); ++i) {
        m_txtBL[i]->setText(texts.value(i));
        m_txtBL[i]->setStyleSheet(QString());
        m_txtBL[i]->setToolTip(QString());
    }
    showTransferable();
}

void frmBlock::readAgain() {
    bool read = false;
    runHeld([this, &read] { read = m_edit.readFromController(); });
    // Without a complete answer the table and what the user typed stay.
    if (read)
        showFields();
}

void frmBlock::loadDefaults() {
    m_edit.loadDefaults();
    showFields();
}

void frmBlock::save() {
    QStringList texts;
    for (const QLineEdit* edit : std::as_const(m_txtBL))
        texts << edit->text();
    QList<int> invalid;
    BlockTableEdit::SaveOutcome outcome = BlockTableEdit::SaveOutcome::Cancelled;
    runHeld([&] { outcome = m_edit.save(texts, &invalid); });
    switch (outcome) {
    case BlockTableEdit::SaveOutcome::Invalid:
        markInvalid(invalid);
        break;
    case BlockTableEdit::SaveOutcome::Cancelled:
        break; // what the user typed stays
    default:
        showFields();
        break;
    }
}

void frmBlock::markInvalid(const QList<int>& fields) {
    for (int i : fields) {
        m_txtBL[i]->setStyleSheet(QStringLiteral("QLineEdit { background: #ffc0c0; }"));
        m_txtBL[i]->setToolTip(QStringLiteral("00 .. FF"));
    }
    if (!fields.isEmpty())
        m_txtBL[fields.first()]->setFocus();
}
