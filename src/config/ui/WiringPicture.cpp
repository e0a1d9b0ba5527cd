#include "config/ui/WiringPicture.h"

#include "app/FrameTexts.h"
#include "app/ui/FormBinder.h"
#include "config/ConfigurationModel.h"
#include "config/ui/WiringParts.h"
#include "device/DeviceData.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString indexed(const char* stem, int i) {
    return indexedName(QString::fromUtf8(stem), i);
}

// Texts of the picture.
constexpr int kTipTerminal = 414, kTipDirection = 415, kTipKind = 416;
constexpr int kGroupAll = 218, kTipGroupAll = 403;
constexpr int kTipGroupFirst = 400; // groups 1..3: 400..402, captions 217..215
constexpr int kCaptionParam = 219, kCaptionStatus = 220, kTipParam = 404, kTipStatus = 405;
constexpr int kTipGroup = 406, kTipHeading = 407, kTipBlock = 408, kTipSensor = 409;
constexpr int kCaptionInput = 221, kTipInput = 410;
constexpr int kCaptionAlarm = 222, kCaptionHeating = 223, kCaptionCooling = 224;
constexpr int kTipAlarm = 411, kTipHeating = 412, kTipCooling = 413, kTipFirstSlot = 417;
constexpr int kHeadingAutomatic = 429, kHeadingTuning = 430;
constexpr int kTipExtension = 390;

// Geometry of the lines, in the picture's own units (they scale with the screen).
constexpr int kTrackStep = 4; // gutter: one vertical track per terminal row
constexpr int kBusStep = 3;   // bus below the slots: one track per function
constexpr int kBusMargin = 4; // between a slot's lower edge and the first track
constexpr int kGutterMargin = 10;

int busHeight(int tracks) {
    return kBusMargin + tracks * kBusStep + 2;
}

int gutterWidth() {
    return 2 * kGutterMargin + (Wiring::Rows - 1) * kTrackStep;
}

// Line colours by slot function: heating red, cooling blue, input green, alarm orange; the
// group inputs violet.
QColor lineColour(int target) {
    if (target >= Wiring::FirstGroupLabel)
        return QColor(0x6a, 0x1b, 0x9a);
    switch (Wiring::functionOfSlot(target)) {
    case Wiring::Heating:
    case Wiring::HeatingComplementary:
        return QColor(0xc6, 0x28, 0x28);
    case Wiring::Cooling:
    case Wiring::CoolingComplementary:
        return QColor(0x15, 0x65, 0xc0);
    case Wiring::Input:
        return QColor(0x2e, 0x7d, 0x32);
    default:
        return QColor(0xe6, 0x5c, 0x00);
    }
}

QColor markOn() {
    return QColor(0, 255, 0);
}
} // namespace

WiringPicture::WiringPicture(ConfigurationModel& model, DeviceData& data, QWidget* parent)
    : QWidget(parent), m_model(model), m_data(data) {
    setObjectName(QStringLiteral("fraIoArea"));
    setFocusPolicy(Qt::ClickFocus);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 6, 8, 6);
    outer->setSpacing(6);
    outer->addWidget(buildViewBar());
    auto* body = new QHBoxLayout;
    body->setSpacing(0);
    body->addWidget(buildTerminalStrip(), 0, Qt::AlignTop);
    body->addSpacing(gutterWidth());
    body->addWidget(buildChannelBlocks(), 0, Qt::AlignTop);
    body->addStretch(1);
    outer->addLayout(body);
    outer->addStretch(1);

    m_lstSensor = new QListWidget(this);
    m_lstSensor->setObjectName(QStringLiteral("lstSensor"));
    m_lstSensor->setWindowFlags(Qt::Popup);
    m_lstSensor->installEventFilter(this);
    connect(m_lstSensor, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { chooseSensor(m_lstSensor->row(item)); });
    connect(m_lstSensor, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { chooseSensor(m_lstSensor->row(item)); });

    connect(&m_model, &ConfigurationModel::rowsChanged, this, &WiringPicture::showRows);
    connect(&m_model, &ConfigurationModel::viewChanged, this, &WiringPicture::showView);
    connect(&m_model, &ConfigurationModel::configurationChanged, this,
            &WiringPicture::showChannels);
    connect(&m_data, &DeviceData::elementChanged, this, &WiringPicture::elementChanged);
    connect(&m_data.gate(), &OperationGate::changed, this,
            [this] { setEnabled(!m_data.gate().imageLocked()); });

    retranslate();
    showView();
    showChannels();
}

// ---------------------------------------------------------------------------------------------
// Building

QWidget* WiringPicture::buildViewBar() {
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int k = 0; k < 2; ++k) {
        m_chkIO[k] = new QCheckBox(bar);
        m_chkIO[k]->setObjectName(indexed("chkIO", k));
        layout->addWidget(m_chkIO[k]);
        // Two boxes used as two options: a click on either sets the other to the opposite.
        connect(m_chkIO[k], &QCheckBox::clicked, this, [this, k](bool checked) {
            m_chkIO[1 - k]->setChecked(!checked);
            m_model.LoadNormalView();
        });
    }
    m_chkIO[1]->setChecked(true);
    layout->addSpacing(24);
    m_cmd1bis20 = new QPushButton(bar);
    m_cmd1bis20->setObjectName(QStringLiteral("cmd1bis20"));
    connect(m_cmd1bis20, &QPushButton::clicked, &m_model, &ConfigurationModel::LoadNormalView);
    m_cmd17bis24 = new QPushButton(bar);
    m_cmd17bis24->setObjectName(QStringLiteral("cmd17bis24"));
    connect(m_cmd17bis24, &QPushButton::clicked, &m_model, &ConfigurationModel::LoadExtendedView);
    layout->addWidget(m_cmd1bis20);
    layout->addWidget(m_cmd17bis24);
    layout->addStretch(1);
    return bar;
}

QWidget* WiringPicture::buildTerminalStrip() {
    m_strip = new QWidget(this);
    m_strip->setObjectName(QStringLiteral("fraTerminals"));
    auto* column = new QVBoxLayout(m_strip);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    for (int i = 0; i < Wiring::Rows; ++i) {
        TerminalRow r;
        r.row = new QWidget(m_strip);
        // Rows come and go with the view and the I/O equipment; the picture keeps its size.
        QSizePolicy keep = r.row->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        r.row->setSizePolicy(keep);
        auto* line = new QHBoxLayout(r.row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(3);
        TerminalButton::Handlers handlers{
            [this, i] { terminalPressed(i); },
            [this, i](const QPoint& global) { terminalDragged(i, global); },
            [this, i](const QPoint& global, bool moved) {
                terminalReleased(i, global, moved);
            }};
        r.terminal = new TerminalButton(indexed("CheckA", i), handlers, r.row);
        m_terminalOf.insert(r.terminal, i);
        r.direction = new ClickLabel(indexed("Label1", i), ClickLabel::Look::Plain, r.row);
        r.direction->setAlignment(Qt::AlignCenter);
        connect(r.direction, &QAbstractButton::clicked, this,
                [this, i] { m_model.toggleDirection(i); });
        r.kind = new ClickLabel(indexed("lblSpezial", i), ClickLabel::Look::Plain, r.row);
        r.kind->setAlignment(Qt::AlignCenter);
        connect(r.kind, &QAbstractButton::clicked, this, [this, i] { m_model.toggleKind(i); });
        r.tail = new QWidget(r.row);
        auto* tail = new QHBoxLayout(r.tail);
        tail->setContentsMargins(0, 0, 0, 0);
        r.mode = new ClickLabel(indexed("lblRAStrom", i), ClickLabel::Look::Plain, r.tail);
        connect(r.mode, &QAbstractButton::clicked, this, [this, i] { m_model.modeClick(i); });
        r.outputs = new QComboBox(r.tail);
        r.outputs->setObjectName(indexed("cboSpezial", i));
        r.inputs = new QComboBox(r.tail);
        r.inputs->setObjectName(indexed("cboSpezialIn", i));
        for (QComboBox* list : {r.outputs, r.inputs}) {
            list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            list->setMinimumContentsLength(12);
            // A user's pick only: filling the list or setting its position is not one.
            connect(list, &QComboBox::activated, this,
                    [this, i](int position) { m_model.chooseListEntry(i, position); });
            tail->addWidget(list, 1);
        }
        tail->addWidget(r.mode, 1);
        line->addWidget(r.terminal);
        line->addWidget(r.direction);
        line->addWidget(r.kind);
        line->addWidget(r.tail);
        column->addWidget(r.row);
        m_rows.append(r);
    }
    return m_strip;
}

QWidget* WiringPicture::buildChannelBlocks() {
    m_blocks = new QWidget(this);
    m_blocks->setObjectName(QStringLiteral("fraChannels"));
    auto* column = new QVBoxLayout(m_blocks);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);

    // Head: the group labels with their bus, and the headings of the two mark columns.
    auto* head = new QHBoxLayout;
    head->setSpacing(4);
    m_groupBar = new QWidget(m_blocks);
    auto* groups = new QHBoxLayout(m_groupBar);
    groups->setContentsMargins(0, 0, 0, busHeight(4));
    groups->setSpacing(4);
    for (int g = 0; g < 4; ++g) {
        const int target = Wiring::FirstGroupLabel + g;
        auto* label = new ClickLabel(indexed("Label2", target), ClickLabel::Look::Slot, m_groupBar);
        connect(label, &QAbstractButton::clicked, this, [this, target] { targetClicked(target); });
        m_targetOf.insert(label, target);
        m_groupLabels.append(label);
        groups->addWidget(label);
    }
    groups->addStretch(1);
    head->addWidget(m_groupBar, 0, Qt::AlignBottom);
    m_markHeadings = new MarkHeadings(m_blocks);
    head->addWidget(m_markHeadings, 0, Qt::AlignBottom);
    head->addStretch(1);
    column->addLayout(head);

    for (int k = 0; k < 8; ++k) {
        ChannelBlock b;
        b.row = new QWidget(m_blocks);
        b.row->setObjectName(indexed("fraModul", k));
        auto* line = new QHBoxLayout(b.row);
        line->setContentsMargins(0, 0, 0, busHeight(Wiring::FunctionsPerChannel));
        line->setSpacing(4);
        b.heading = new QLabel(b.row);
        b.heading->setObjectName(indexed("lblModul", k));
        QFont bold = b.heading->font();
        bold.setBold(true);
        b.heading->setFont(bold);
        line->addWidget(b.heading);
        for (int f = 0; f < Wiring::FunctionsPerChannel; ++f) {
            const int target = Wiring::slotOf(k + 1, f);
            auto* slot = new ClickLabel(indexed("Label2", target), ClickLabel::Look::Slot, b.row);
            slot->setOverline(f == Wiring::HeatingComplementary ||
                              f == Wiring::CoolingComplementary || f == Wiring::AlarmReverse);
            connect(slot, &QAbstractButton::clicked, this,
                    [this, target] { targetClicked(target); });
            m_targetOf.insert(slot, target);
            b.slots.append(slot);
            line->addWidget(slot);
        }
        line->addSpacing(4);
        b.group = new ClickLabel(indexed("lblGruppe", k), ClickLabel::Look::Marker, b.row);
        b.group->setClickable(false);
        b.sensor = new ClickLabel(indexed("Label5", k), ClickLabel::Look::Plain, b.row);
        connect(b.sensor, &QAbstractButton::clicked, this, [this, k] { openSensorList(k + 1); });
        b.extension = new ClickLabel(indexed("lblErw", k), ClickLabel::Look::Marker, b.row);
        b.extension->setClickable(false);
        b.extension->setText(QStringLiteral("ext"));
        QSizePolicy keep = b.extension->sizePolicy();
        keep.setRetainSizeWhenHidden(true); // the columns stay aligned in every block
        b.extension->setSizePolicy(keep);
        b.parameters = new ClickLabel(indexed("lblPrm", k), ClickLabel::Look::Plain, b.row);
        connect(b.parameters, &QAbstractButton::clicked, this,
                [this, k] { openChannelWindow(ChannelWindow::Parameters, k); });
        b.status = new ClickLabel(indexed("lblStat", k), ClickLabel::Look::Plain, b.row);
        connect(b.status, &QAbstractButton::clicked, this,
                [this, k] { openChannelWindow(ChannelWindow::ControlWords, k); });
        b.automatic = new ClickLabel(indexed("lblOnOff", k), ClickLabel::Look::Marker, b.row);
        b.automatic->setClickable(false);
        b.tuning = new ClickLabel(indexed("lblOpt", k), ClickLabel::Look::Marker, b.row);
        b.tuning->setClickable(false);
        for (QWidget* w : {static_cast<QWidget*>(b.group), static_cast<QWidget*>(b.sensor),
                           static_cast<QWidget*>(b.extension), static_cast<QWidget*>(b.parameters),
                           static_cast<QWidget*>(b.status), static_cast<QWidget*>(b.automatic),
                           static_cast<QWidget*>(b.tuning)})
            line->addWidget(w);
        line->addStretch(1);
        column->addWidget(b.row);
        m_channels.append(b);
    }
    return m_blocks;
}

// Every column has one width in all rows, so the strip and the blocks line up and the lines
// start at one edge. Widths follow the font and the language.
void WiringPicture::applyColumnWidths() {
    const QFontMetrics fm = fontMetrics();
    const int rowHeight = fm.height() + 6;
    auto fixed = [rowHeight](QWidget* w, int width) {
        w->setFixedSize(width, rowHeight);
    };
    // Captions keep the width of their longest language (applyCaptions sets it as minimum).
    auto natural = [](const QWidget* w) {
        return std::max(w->minimumWidth(), w->sizeHint().width());
    };
    auto widest = [&fm](const QStringList& texts) {
        int w = 0;
        for (const QString& t : texts)
            w = std::max(w, fm.horizontalAdvance(t));
        return w;
    };

    const int terminal = m_rows[0].terminal->sizeHint().width();
    const int direction = widest({QStringLiteral("Cont"), QStringLiteral("Out")}) + 10;
    const int kind = widest({QStringLiteral("N"), QStringLiteral("S")}) + 12;
    const int tail = std::max(fm.horizontalAdvance(QStringLiteral(" free / live / invers")),
                              fm.averageCharWidth() * 30) +
                     12;
    for (const TerminalRow& r : std::as_const(m_rows)) {
        fixed(r.terminal, terminal);
        fixed(r.direction, direction);
        fixed(r.kind, kind);
        fixed(r.tail, tail);
    }

    int head = 0;
    for (ClickLabel* g : std::as_const(m_groupLabels)) {
        fixed(g, natural(g));
        head += g->width() + 4;
    }

    const int heading = fm.horizontalAdvance(QStringLiteral("Modul 8")) + 8;
    QList<int> slotWidths;
    for (int f = 0; f < Wiring::FunctionsPerChannel; ++f)
        slotWidths << std::max(rowHeight, natural(m_channels[0].slots[f]));
    const int group = widest({QStringLiteral("no"), QStringLiteral("3")}) + 14;
    const int sensor = fm.horizontalAdvance(QStringLiteral("MW8 Typ B (Pt30Rh-Pt6Rh)")) + 8;
    const int extension = fm.horizontalAdvance(QStringLiteral("ext")) + 10;
    const int param = natural(m_channels[0].parameters);
    const int status = natural(m_channels[0].status);
    const int marks =
        std::max(widest({QStringLiteral("off"), QStringLiteral("on")}) + 12, rowHeight);
    for (const ChannelBlock& b : std::as_const(m_channels)) {
        fixed(b.heading, heading);
        for (int f = 0; f < Wiring::FunctionsPerChannel; ++f)
            fixed(b.slots[f], slotWidths[f]);
        fixed(b.group, group);
        fixed(b.sensor, sensor);
        fixed(b.extension, extension);
        fixed(b.parameters, param);
        fixed(b.status, status);
        fixed(b.automatic, marks);
        fixed(b.tuning, marks);
    }
    // The headings of the mark columns end above them, over the sensor, parameter and status
    // columns; the group bar takes the width before.
    int before = heading + 4 + 8; // the extra spacing after the slots
    for (int w : slotWidths)
        before += w + 4;
    before += group + 4;
    const int headings = sensor + 4 + extension + 4 + param + 4 + status + 4 + marks + 4 + marks;
    m_groupBar->setFixedWidth(std::max(before - 4, head));
    m_markHeadings->setFixedSize(headings, m_markHeadings->sizeHint().height());
    m_markHeadings->setColumns(headings - marks - 4 - marks / 2, headings - marks / 2);
}

// ---------------------------------------------------------------------------------------------
// Showing the model

namespace {
// Text of slot function f: its caption, and its tool tip (the function, then the slot).
int slotCaption(int f) {
    if (f == Wiring::Input)
        return kCaptionInput;
    if (f >= Wiring::AlarmDirect)
        return kCaptionAlarm;
    return f >= Wiring::Cooling ? kCaptionCooling : kCaptionHeating;
}

int slotTip(int f) {
    if (f == Wiring::Input)
        return kTipInput;
    if (f >= Wiring::AlarmDirect)
        return kTipAlarm;
    return f >= Wiring::Cooling ? kTipCooling : kTipHeating;
}

// The picture's captions: fixed ones, the group labels, the slots, the entry points.
CaptionTable wiringCaptions() {
    CaptionTable table = {
        {"chkIO_0", 0, "Klemme"},
        {"chkIO_1", 0, "I/O"},
        {"cmd1bis20", 0, "I/O 1...16"},
        {"cmd17bis24", 0, "I/O 17...24"},
        {"Label2_56", kGroupAll},
        {"Label2_57", 217},
        {"Label2_58", 216},
        {"Label2_59", 215},
    };
    for (int k = 0; k < 8; ++k) {
        table.append({indexedName(u"lblModul", k), 0, QStringLiteral("Modul %1").arg(k + 1)});
        for (int f = 0; f < Wiring::FunctionsPerChannel; ++f)
            table.append({indexedName(u"Label2", Wiring::slotOf(k + 1, f)), slotCaption(f)});
        table.append({indexedName(u"lblPrm", k), kCaptionParam});
        table.append({indexedName(u"lblStat", k), kCaptionStatus});
    }
    return table;
}

// Tool tips, in the same form; a slot's names its function and then the slot itself.
CaptionTable wiringToolTips(const Texts& t) {
    CaptionTable table = {
        {"Label2_56", kTipGroupAll},
        {"Label2_57", kTipGroupFirst},
        {"Label2_58", kTipGroupFirst + 1},
        {"Label2_59", kTipGroupFirst + 2},
    };
    for (int i = 0; i < Wiring::Rows; ++i) {
        table.append({indexedName(u"CheckA", i), kTipTerminal});
        table.append({indexedName(u"Label1", i), kTipDirection});
        table.append({indexedName(u"lblSpezial", i), kTipKind});
    }
    for (int k = 0; k < 8; ++k) {
        table.append({indexedName(u"fraModul", k), kTipBlock});
        table.append({indexedName(u"lblModul", k), kTipHeading});
        for (int f = 0; f < Wiring::FunctionsPerChannel; ++f) {
            const int slot =
                f == Wiring::Input ? 0 : kTipFirstSlot + (f < Wiring::Input ? f : f - 1);
            table.append({indexedName(u"Label2", Wiring::slotOf(k + 1, f)),
                          slotTip(f),
                          {},
                          slot ? u'\n' + t.LoadText(slot) : QString()});
        }
        table.append({indexedName(u"lblGruppe", k), kTipGroup});
        table.append({indexedName(u"Label5", k), kTipSensor});
        table.append({indexedName(u"lblErw", k), kTipExtension});
        table.append({indexedName(u"lblOnOff", k), kHeadingAutomatic});
        table.append({indexedName(u"lblOpt", k), kHeadingTuning});
    }
    return table;
}
} // namespace

void WiringPicture::retranslate() {
    const Texts& t = m_data.texts;
    applyCaptions(this, wiringCaptions(), t);
    for (const Caption& tip : wiringToolTips(t))
        if (auto* w = findChild<QWidget*>(tip.name))
            w->setToolTip(captionText(tip, t));
    m_markHeadings->setHeadings(t.LoadText(kHeadingAutomatic), t.LoadText(kHeadingTuning));
    for (int w = 0; w < 2; ++w)
        showChannelWindowEntries(ChannelWindow(w));
    applyColumnWidths();
    // The lists and mode texts are language texts too.
    for (const TerminalRow& r : std::as_const(m_rows)) {
        r.outputs->clear();
        r.inputs->clear();
    }
    showRows();
}

void WiringPicture::fillList(QComboBox* list, const QStringList& entries, int position) {
    bool same = list->count() == entries.size();
    for (int n = 0; same && n < entries.size(); ++n)
        same = list->itemText(n) == entries[n];
    if (!same) {
        list->clear();
        list->addItems(entries);
        list->view()->setMinimumWidth(list->view()->sizeHintForColumn(0) + 24);
    }
    list->setCurrentIndex(position);
    list->setToolTip(list->currentText()); // the list may be narrower than its entry
}

void WiringPicture::showRows() {
    const bool strip = stripNumbering();
    for (int i = 0; i < m_rows.size(); ++i) {
        const TerminalRow& w = m_rows[i];
        const bool visible = m_model.rowVisible(i);
        w.row->setVisible(visible);
        if (!visible)
            continue;
        const ConfigurationModel::Row& r = m_model.row(i);
        w.terminal->setText(m_model.terminalCaption(i, strip));
        w.terminal->setChosen(m_model.SelectedTerminal == i);
        w.direction->setText(directionText(r.direction));
        w.kind->setText(kindText(r.special));
        const bool outputs = r.direction == Direction::Out && r.special;
        const bool inputs = r.direction == Direction::In;
        if (outputs)
            fillList(w.outputs, m_model.rowListEntries(i), r.outputPosition);
        if (inputs)
            fillList(w.inputs, m_model.rowListEntries(i), r.inputPosition);
        w.outputs->setVisible(outputs);
        w.inputs->setVisible(inputs);
        const QString mode = modeText(r.mode, m_data.texts);
        w.mode->setText(mode);
        w.mode->setClickable(m_model.isContinuous(i));
        w.mode->setVisible(!outputs && !inputs && !mode.isEmpty());
    }
    // While a terminal is chosen the targets it fits are offered, the others greyed.
    const int chosen = m_model.SelectedTerminal;
    for (auto it = m_targetOf.cbegin(); it != m_targetOf.cend(); ++it) {
        auto* target = static_cast<ClickLabel*>(const_cast<QWidget*>(it.key()));
        const bool fits = chosen != Wiring::NoTerminal && m_model.fits(chosen, it.value());
        target->setOffered(fits);
        target->setDimmed(chosen != Wiring::NoTerminal && !fits);
    }
    highlight(-1);
}

void WiringPicture::highlight(int target) {
    m_highlighted = target;
    const QList<int> rows = target >= 0 ? m_model.rowsLinkedTo(target) : QList<int>();
    for (int i = 0; i < m_rows.size(); ++i)
        m_rows[i].terminal->setHighlighted(rows.contains(i));
    update();
}

void WiringPicture::showView() {
    m_cmd1bis20->setVisible(m_model.ExtendedView);
    m_cmd17bis24->setVisible(!m_model.ExtendedView);
    showRows();
}

void WiringPicture::showChannels() {
    for (int k = 0; k < m_channels.size(); ++k) {
        m_channels[k].row->setVisible(m_model.channelVisible(k + 1));
        showSensor(k + 1);
    }
    refreshChannelOverview();
    update();
}

void WiringPicture::showSensor(int channel) {
    const ChannelBlock& b = m_channels[channel - 1];
    b.sensor->setText(m_model.sensorLabel(channel));
    b.extension->setVisible(m_model.extensionMarker(channel));
}

void WiringPicture::refreshChannelOverview() {
    for (int k = 0; k < m_channels.size(); ++k) {
        const ChannelBlock& b = m_channels[k];
        const ChannelOverview o = channelOverview(m_data.image, k + 1);
        b.group->setText(groupText(o.group));
        b.automatic->setText(o.on ? QStringLiteral("on") : QStringLiteral("off"));
        b.automatic->setFill(o.on ? markOn() : QColor());
        b.tuning->setFill(o.optimising ? markOn() : QColor());
        b.extension->setVisible(m_model.extensionMarker(k + 1));
    }
}

// What other windows change: the sensor types, the controller function and configuration
// (group, automatic mode, auto-tune) and the extended configuration (extension marker).
void WiringPicture::elementChanged(int row, int column) {
    constexpr int kSensorType = 33, kFunction = 26, kConfiguration = 27, kExtended = 52;
    if (row == kSensorType && column >= 1 && column <= 8)
        showSensor(column);
    else if (row == kFunction || row == kConfiguration || row == kExtended)
        refreshChannelOverview();
}

bool WiringPicture::stripNumbering() const {
    return m_chkIO[0]->isChecked();
}

void WiringPicture::setChannelWindowHandler(ChannelWindow window,
                                            std::function<void(int)> handler) {
    m_channelWindow[int(window)] = std::move(handler);
    showChannelWindowEntries(window);
}

void WiringPicture::openChannelWindow(ChannelWindow window, int channel) {
    if (const auto& handler = m_channelWindow[int(window)])
        handler(channel);
}

// An entry point without its window is greyed and says so.
void WiringPicture::showChannelWindowEntries(ChannelWindow window) {
    const auto& handler = m_channelWindow[int(window)];
    const int tip = window == ChannelWindow::Parameters ? kTipParam : kTipStatus;
    for (const ChannelBlock& b : std::as_const(m_channels)) {
        ClickLabel* entry = window == ChannelWindow::Parameters ? b.parameters : b.status;
        entry->setClickable(bool(handler));
        entry->setDimmed(!handler);
        entry->setToolTip(handler ? m_data.texts.LoadText(tip)
                                  : m_data.texts.LoadText(tip).trimmed() + QStringLiteral(" – ") +
                                        notAvailableText(m_data.texts));
    }
}

// ---------------------------------------------------------------------------------------------
// Lines

QWidget* WiringPicture::targetWidget(int target) const {
    if (target >= Wiring::FirstGroupLabel && target < Wiring::TargetCount)
        return m_groupLabels[target - Wiring::FirstGroupLabel];
    if (target >= 0 && target < Wiring::SlotCount)
        return m_channels[Wiring::channelOfSlot(target) - 1].slots[Wiring::functionOfSlot(target)];
    return nullptr;
}

// From the end of the terminal row right into the gutter, on a track of its own down or up to
// the target's bus, along the bus (one track per function, the first next to the slots) and
// up into the slot. A bus track ends below its own slot, left of every slot further right,
// so no rising line crosses another track.
QList<WiringPicture::Route> WiringPicture::routes() const {
    QList<Route> list;
    for (int row = 0; row < Wiring::Rows; ++row) {
        if (!m_model.rowVisible(row))
            continue;
        const int target = m_model.TerminalLink[size_t(row)];
        QWidget* to = targetWidget(target);
        if (!to || !to->isVisibleTo(this))
            continue;
        const QWidget* from = m_rows[row].row;
        const QRect a(from->mapTo(this, QPoint(0, 0)), from->size());
        const QRect b(to->mapTo(this, QPoint(0, 0)), to->size());
        const int track = target >= Wiring::FirstGroupLabel ? target - Wiring::FirstGroupLabel
                                                            : Wiring::functionOfSlot(target);
        list.append({row, a.right() + 4.0, a.center().y() + 0.5,
                     b.bottom() + kBusMargin + track * kBusStep + 0.5, b.center().x() + 0.5,
                     b.bottom() + 1.0});
    }
    return list;
}

QPolygonF WiringPicture::path(const Route& r, int track) const {
    const qreal x = m_strip->geometry().right() + kGutterMargin + track * kTrackStep + 0.5;
    return QPolygonF(
        {{r.x0, r.y0}, {x, r.y0}, {x, r.busY}, {r.slotX, r.busY}, {r.slotX, r.slotBottom}});
}

namespace {
// Crossings of the lines in the gutter when route i runs on track[i].
int crossings(const QList<WiringPicture::Route>& routes, const QList<int>& track) {
    auto within = [](qreal y, qreal a, qreal b) {
        return y > std::min(a, b) && y < std::max(a, b);
    };
    int n = 0;
    for (int a = 0; a < routes.size(); ++a)
        for (int b = 0; b < routes.size(); ++b) {
            if (a == b)
                continue;
            const auto& ra = routes[a];
            const auto& rb = routes[b];
            // a's way in from its row, and a's way out to its bus, across b's track.
            if (track[b] < track[a] && within(ra.y0, rb.y0, rb.busY))
                ++n;
            if (track[b] > track[a] && within(ra.busY, rb.y0, rb.busY))
                ++n;
        }
    return n;
}

// Tracks for the lines: those going down ordered right to left from the top row, those
// going up left to right, which keeps each group free of crossings; the two groups side by
// side in whichever order crosses less.
QList<int> gutterTracks(const QList<WiringPicture::Route>& routes) {
    QList<int> down, up;
    for (int i = 0; i < routes.size(); ++i)
        (routes[i].busY > routes[i].y0 ? down : up).append(i);
    std::reverse(down.begin(), down.end()); // routes come in row order
    QList<int> best;
    int fewest = -1;
    for (const auto& order : {down + up, up + down}) {
        QList<int> track(routes.size());
        for (int t = 0; t < order.size(); ++t)
            track[order[t]] = t;
        const int n = crossings(routes, track);
        if (fewest < 0 || n < fewest) {
            fewest = n;
            best = track;
        }
    }
    return best;
}
} // namespace

QPolygonF WiringPicture::linePath(int row) const {
    const QList<Route> list = routes();
    const QList<int> tracks = gutterTracks(list);
    for (int i = 0; i < list.size(); ++i)
        if (list[i].row == row)
            return path(list[i], tracks[i]);
    return {};
}

void WiringPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QList<int> highlighted =
        m_highlighted >= 0 ? m_model.rowsLinkedTo(m_highlighted) : QList<int>();
    const QList<Route> list = routes();
    const QList<int> tracks = gutterTracks(list);
    // Highlighted lines last, so they lie on top.
    QList<int> order;
    for (int n = 0; n < list.size(); ++n)
        if (!highlighted.contains(list[n].row))
            order << n;
    for (int n = 0; n < list.size(); ++n)
        if (highlighted.contains(list[n].row))
            order << n;
    for (int n : std::as_const(order)) {
        const int i = list[n].row;
        const QPolygonF path = this->path(list[n], tracks[n]);
        const bool strong = highlighted.contains(i) || m_model.SelectedTerminal == i;
        const QColor colour = highlighted.contains(i) ? palette().color(QPalette::Highlight)
                                                      : lineColour(m_model.TerminalLink[size_t(i)]);
        p.setPen(QPen(colour, strong ? 3.0 : 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(path);
        p.setBrush(colour);
        p.setPen(Qt::NoPen);
        p.drawEllipse(path.first(), 3.0, 3.0);
        p.drawEllipse(path.last(), 2.5, 2.5);
    }
    // A terminal being dragged: a dashed line to the pointer.
    if (m_dragging && m_model.SelectedTerminal != Wiring::NoTerminal) {
        const QWidget* from = m_rows[m_model.SelectedTerminal].row;
        const QPoint start = from->mapTo(this, QPoint(from->width() + 4, from->height() / 2));
        p.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::DashLine, Qt::RoundCap));
        p.drawLine(start, m_dragPos);
    }
}

// ---------------------------------------------------------------------------------------------
// Mouse and keyboard

int WiringPicture::targetAt(const QPoint& pos) const {
    for (const QWidget* w = childAt(pos); w && w != this; w = w->parentWidget())
        if (m_targetOf.contains(w))
            return m_targetOf.value(w);
    return -1;
}

int WiringPicture::terminalAt(const QPoint& pos) const {
    for (const QWidget* w = childAt(pos); w && w != this; w = w->parentWidget())
        if (m_terminalOf.contains(w))
            return m_terminalOf.value(w);
    return -1;
}

void WiringPicture::terminalPressed(int row) {
    m_model.pressTerminal(row);
}

void WiringPicture::terminalDragged(int row, const QPoint& global) {
    if (m_model.SelectedTerminal != row)
        return;
    m_dragging = true;
    m_dragPos = mapFromGlobal(global);
    update();
}

// A release after dragging links where the pointer is; a plain click leaves the terminal
// chosen for a click on a slot.
void WiringPicture::terminalReleased(int row, const QPoint& global, bool moved) {
    if (!moved)
        return;
    m_dragging = false;
    const QPoint pos = mapFromGlobal(global);
    if (m_model.SelectedTerminal != row) {
        update();
        return;
    }
    const int target = targetAt(pos);
    if (target >= 0)
        m_model.releaseOnTarget(target);
    else if (!rect().contains(pos) || terminalAt(pos) >= 0)
        m_model.cancelSelection(); // let go outside the picture or on a terminal
    else
        m_model.releaseOnEmpty();
    update();
}

void WiringPicture::targetClicked(int target) {
    if (m_model.SelectedTerminal != Wiring::NoTerminal) {
        m_model.releaseOnTarget(target);
        return;
    }
    // Without a chosen terminal a slot shows which terminals serve it.
    highlight(target);
}

void WiringPicture::mousePressEvent(QMouseEvent* event) {
    event->accept(); // the release comes here too
}

void WiringPicture::mouseReleaseEvent(QMouseEvent* event) {
    if (m_model.SelectedTerminal == Wiring::NoTerminal)
        return;
    if (event->button() == Qt::LeftButton) {
        m_model.releaseOnEmpty();
    } else {
        const int row = terminalAt(event->position().toPoint());
        if (row >= 0)
            m_model.unlinkTerminal(row);
    }
}

// Escape drops the chosen terminal; Delete unlinks it (a click on empty space).
void WiringPicture::keyPressEvent(QKeyEvent* event) {
    if (m_model.SelectedTerminal != Wiring::NoTerminal && event->key() == Qt::Key_Escape) {
        m_model.cancelSelection();
        return;
    }
    if (m_model.SelectedTerminal != Wiring::NoTerminal && event->key() == Qt::Key_Delete) {
        m_model.releaseOnEmpty();
        return;
    }
    QWidget::keyPressEvent(event);
}

void WiringPicture::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyColumnWidths();
}

// ---------------------------------------------------------------------------------------------
// Sensor list

void WiringPicture::openSensorList(int channel) {
    m_sensorChannel = channel;
    m_lstSensor->clear();
    m_lstSensor->addItems(m_model.sensorEntries());
    m_lstSensor->setCurrentRow(m_model.sensorPosition(channel));
    QWidget* anchor = m_channels[channel - 1].sensor;
    const int rows = m_lstSensor->count();
    m_lstSensor->resize(std::max(anchor->width(), m_lstSensor->sizeHintForColumn(0) + 24),
                        m_lstSensor->sizeHintForRow(0) * rows + 2 * m_lstSensor->frameWidth());
    m_lstSensor->move(anchor->mapToGlobal(QPoint(0, anchor->height())));
    m_lstSensor->show();
    m_lstSensor->setFocus();
}

void WiringPicture::chooseSensor(int position) {
    m_lstSensor->hide();
    m_model.chooseSensor(m_sensorChannel, position);
}

bool WiringPicture::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_lstSensor && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_lstSensor->hide();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
