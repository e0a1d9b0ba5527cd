#include "params/ui/frmZyklus.h"

#include "app/FrameTexts.h"
#include "app/Workspace.h"
#include "app/ui/Pictures.h"
#include "app/ui/WindowManager.h"
#include "base/Interaction.h"
#include "base/TextTableModel.h"
#include "device/DeviceServices.h"
#include "params/ChannelParameterForm.h"
#include "params/ControlWords.h"
#include "params/Monitor.h"
#include "params/MonitorTexts.h"
#include "params/ui/TrendChart.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {
// Headings wrap (the texts are written for narrow columns, "  Ist-  wert"): room for `lines`.
QLabel* label(QWidget* parent, const QString& name, int lines = 0) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    if (lines > 0) {
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        l->setMinimumHeight(lines * l->fontMetrics().lineSpacing());
    }
    return l;
}

QLineEdit* value(QWidget* parent, const QString& name, bool editable = false) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setAlignment(Qt::AlignRight);
    e->setFixedWidth(70);
    e->setReadOnly(!editable);
    if (!editable)
        e->setFocusPolicy(Qt::ClickFocus);
    return e;
}

void setTextColor(QLineEdit* e, const QColor& color) {
    QPalette p = e->palette();
    p.setColor(QPalette::Text, color);
    e->setPalette(p);
}

QString fieldsText(const QList<int>& channels) {
    QStringList list;
    for (int k : channels)
        list << QString::number(k);
    return list.join(QStringLiteral(", "));
}
} // namespace

frmZyklus::frmZyklus(Workspace& ws, WindowManager& windows)
    : SecondaryWindow(ws, QStringLiteral("frmZyklus")), m_windows(windows),
      m_monitor(ws.monitor()) {
    buildWidgets();
    setCaptions({
        {"frmZyklus", 240, ws.identification.DeviceType},
        {"lblBeschrift_0", 250},
        {"lblBeschrift_1", 251},
        {"lblBeschrift_2", 252},
        {"lblBeschrift_3", 253},
        {"lblBeschrift_12", 255},
        {"lblBeschrift_13", 254},
        {"lblBeschrift_14", 252},
        {"lblBeschrift_15", 0, "2."},
        {"lblBeschrift_16", 283},
        {"lblBeschrift_17", 0, "3."},
        {"lblGerFehl", 269},
        {"lblMelde", 268},
        {"cmdSwwrite", 256},
        {"cmdEDwrite", 258},
        {"cmdStop", 471},
        {"cmdEnde", 264},
        {"chkSpeichern", 263},
        {"lblZyklusz", 262},
    });
    connect(&m_monitor, &Monitor::polled, this, &frmZyklus::draw);
    connect(&m_monitor, &Monitor::runningChanged, this, &frmZyklus::showRunning);
    connect(&m_monitor, &Monitor::writesDropped, this, [this](bool setpoints, bool outputs) {
        if (setpoints)
            showNotSent(true);
        if (outputs)
            showNotSent(false);
    });
    connect(&ws.services(), &DeviceServices::mappingStateChanged, m_cmdStop, &QWidget::setVisible);
    connect(&ws, &Workspace::temperatureUnitChanged, this, &frmZyklus::retranslate);
    showRunning(m_monitor.isRunning());
    showLayout();
}

void frmZyklus::buildWidgets() {
    auto* values = new QWidget(this);
    auto* grid = new QGridLayout(values);
    grid->setVerticalSpacing(2);
    // Headings.
    grid->addWidget(label(values, QStringLiteral("lblBeschrift_13"), 3), 0, 0, 2, 1);
    const int headings[] = {12, 0, 1, 2};
    for (int c = 0; c < 4; ++c)
        grid->addWidget(label(values, indexedName(u"lblBeschrift", headings[c]), 3), 0, c + 1, 2,
                        1);
    // The currents of the further devices: "Heating current [A]" over both columns, below it
    // "2.  Device  3.", each number over its column.
    QLabel* h14 = label(values, QStringLiteral("lblBeschrift_14"), 2);
    grid->addWidget(h14, 0, 5, 1, 2);
    auto* devices = new QHBoxLayout;
    QLabel* h15 = label(values, QStringLiteral("lblBeschrift_15"));
    QLabel* h16 = label(values, QStringLiteral("lblBeschrift_16"));
    QLabel* h17 = label(values, QStringLiteral("lblBeschrift_17"));
    devices->addWidget(h15, 1, Qt::AlignHCenter);
    devices->addWidget(h16);
    devices->addWidget(h17, 1, Qt::AlignHCenter);
    grid->addLayout(devices, 1, 5, 1, 2);
    m_extendedOnly << h14 << h15 << h16 << h17;

    // One row per channel.
    m_txtStrom.resize(24);
    for (int i = 0; i < 8; ++i) {
        const int row = i + 2;
        QLabel* name = label(values, indexedName(u"lblBeschrift", 4 + i));
        m_names.append(name);
        grid->addWidget(name, row, 0);
        m_txtSollw.append(value(values, indexedName(u"txtSollw", i), true));
        m_txtZyklus.append(value(values, indexedName(u"txtZyklus", i)));
        m_txtED.append(value(values, indexedName(u"txtED", i), true));
        grid->addWidget(m_txtSollw[i], row, 1);
        grid->addWidget(m_txtZyklus[i], row, 2);
        grid->addWidget(m_txtED[i], row, 3);
        for (int device = 0; device < 3; ++device) {
            QLineEdit* current = value(values, indexedName(u"txtStrom", 8 * device + i));
            m_txtStrom[8 * device + i] = current;
            grid->addWidget(current, row, 4 + device);
            if (device > 0)
                m_extendedOnly << current;
        }
        connect(m_txtSollw[i], &QLineEdit::textEdited, this, [this, i] { onTyped(true, i); });
        connect(m_txtED[i], &QLineEdit::textEdited, this, [this, i] { onTyped(false, i); });
    }
    const QPixmap mark = Pictures::errorMark();
    for (int i = 0; i <= 8; ++i) {
        QLabel* image = label(values, indexedName(u"imgError", i));
        image->setFixedSize(mark.size());
        image->setCursor(Qt::PointingHandCursor);
        image->setFocusPolicy(Qt::TabFocus); // Enter or Space opens the error list
        image->installEventFilter(this);
        QSizePolicy keep = image->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        image->setSizePolicy(keep);
        image->hide();
        m_imgError.append(image);
        if (i < 8)
            grid->addWidget(image, i + 2, 7);
    }
    QLabel* voltage = label(values, QStringLiteral("lblBeschrift_3"), 2);
    voltage->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(voltage, 10, 0, 1, 4);
    m_txtSpannung = value(values, QStringLiteral("txtSpannung"));
    grid->addWidget(m_txtSpannung, 10, 4);
    m_lblMelde = label(values, QStringLiteral("lblMelde"));
    grid->addWidget(m_lblMelde, 11, 0, 1, 4, Qt::AlignRight);
    m_meldung = value(values, QStringLiteral("Meldung"));
    m_meldung->setFixedWidth(140);
    m_meldung->setAlignment(Qt::AlignLeft);
    grid->addWidget(m_meldung, 11, 4, 1, 2);
    m_lblGerFehl = label(values, QStringLiteral("lblGerFehl"));
    m_lblGerFehl->setStyleSheet(QStringLiteral("color: #b00000;"));
    grid->addWidget(m_imgError[8], 12, 0, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(m_lblGerFehl, 12, 1, 1, 6);
    grid->setColumnStretch(8, 1);
    grid->setRowStretch(13, 1);

    // Controls.
    auto* controls = new QVBoxLayout;
    m_cmdZyklus = new QPushButton(this);
    m_cmdZyklus->setObjectName(QStringLiteral("cmdZyklus"));
    m_cmdZyklus->setMinimumWidth(120);
    controls->addWidget(m_cmdZyklus);
    auto* interval = new QHBoxLayout;
    interval->addWidget(label(this, QStringLiteral("lblZyklusz")));
    m_txtZZeit = new QLineEdit(this);
    m_txtZZeit->setObjectName(QStringLiteral("txtZZeit"));
    m_txtZZeit->setFixedWidth(60);
    m_txtZZeit->setAlignment(Qt::AlignRight);
    interval->addWidget(m_txtZZeit);
    interval->addWidget(new QLabel(QStringLiteral("ms"), this));
    controls->addLayout(interval);
    m_chkSpeichern = new QCheckBox(this);
    m_chkSpeichern->setObjectName(QStringLiteral("chkSpeichern"));
    controls->addWidget(m_chkSpeichern);
    controls->addSpacing(12);
    m_cmdSwwrite = new QPushButton(this);
    m_cmdSwwrite->setObjectName(QStringLiteral("cmdSwwrite"));
    m_cmdEDwrite = new QPushButton(this);
    m_cmdEDwrite->setObjectName(QStringLiteral("cmdEDwrite"));
    m_cmdStop = new QPushButton(this);
    m_cmdStop->setObjectName(QStringLiteral("cmdStop"));
    controls->addWidget(m_cmdSwwrite);
    controls->addWidget(m_cmdEDwrite);
    controls->addWidget(m_cmdStop);
    controls->addStretch(1);
    auto* marks = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        auto* shape = new QLabel(this);
        shape->setObjectName(indexedName(u"Shape4", i));
        shape->setFixedSize(12, 12);
        shape->setStyleSheet(QStringLiteral("background: #2ca02c; border-radius: 6px;"));
        QSizePolicy keep = shape->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        shape->setSizePolicy(keep);
        marks->addWidget(shape);
        m_shape4.append(shape);
    }
    m_shape4[1]->hide();
    marks->addStretch(1);
    controls->addLayout(marks);
    auto* cmdEnde = new QPushButton(this);
    cmdEnde->setObjectName(QStringLiteral("cmdEnde"));
    controls->addWidget(cmdEnde);

    auto* top = new QWidget(this);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(values, 1);
    topLayout->addLayout(controls);

    m_trend = new TrendChart(workspace().texts, workspace().interaction(), this);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("splZyklus"));
    split->addWidget(top);
    split->addWidget(m_trend);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(split);

    // The error list of a channel, shown at its mark until the user acts on it.
    m_gridModel = new TextTableModel(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("Grid1"));
    m_grid->setModel(m_gridModel);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    m_grid->hide();

    connect(m_cmdZyklus, &QPushButton::clicked, this, &frmZyklus::startStop);
    connect(m_cmdSwwrite, &QPushButton::clicked, this, [this] { transfer(true); });
    connect(m_cmdEDwrite, &QPushButton::clicked, this, [this] { transfer(false); });
    connect(m_cmdStop, &QPushButton::clicked, this, &frmZyklus::stopMapping);
    connect(cmdEnde, &QPushButton::clicked, this, &QWidget::close);
    connect(m_txtZZeit, &QLineEdit::editingFinished, this, &frmZyklus::onIntervalEdited);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
    m_cmdSwwrite->setEnabled(false);
    m_cmdEDwrite->setEnabled(false);
    m_cmdStop->setVisible(workspace().services().MappingActive == 1);
    m_txtZZeit->setText(QString::number(Monitor::DefaultIntervalMs));
    resize(minimumSizeHint().width(), 720);
}

void frmZyklus::openFor(int) {
    if (m_monitor.isRunning())
        return;
    // Each opening starts from the default interval and sends nothing typed before.
    m_monitor.setInterval(Monitor::DefaultIntervalMs);
    m_txtZZeit->setText(QString::number(Monitor::DefaultIntervalMs));
    m_editingSetpoints = m_editingOutputs = false;
    m_redSetpoints.fill(false);
    m_redOutputs.fill(false);
    m_cmdSwwrite->setEnabled(false);
    m_cmdEDwrite->setEnabled(false);
    m_monitor.setSetpointRefresh(true);
    showValueColors();
}

void frmZyklus::retranslate() {
    SecondaryWindow::retranslate();
    Workspace& ws = workspace();
    m_cmdZyklus->setText(m_monitor.isRunning() ? QStringLiteral("Stop") : QStringLiteral("Start"));
    const QStringList& names = ws.channelNames.names;
    QStringList units;
    ChannelParameterForm channel(ws);
    for (int k = 1; k <= 8; ++k) {
        m_names[k - 1]->setText(names.value(k - 1, QString::number(k)));
        channel.setChannel(k - 1);
        units << channel.unit(ChannelRows::Setpoint);
    }
    m_trend->setChannels(names, units);
    m_trend->retranslate();
    // The device error text replaces the heading while the device reports errors.
    const int device = ws.deviceErrors.device;
    m_lblGerFehl->setVisible(device != 0);
    if (device != 0)
        m_lblGerFehl->setText(deviceErrorText(ws.texts, device).trimmed());
}

void frmZyklus::activated() {
    if (m_monitor.isRunning())
        return; // polling: nothing changes
    Workspace& ws = workspace();
    m_monitor.refreshLayout();
    retranslate();
    showLayout();
    showRunning(false);
    m_lblMelde->setVisible(messageInputsConfigured(ws.image));
    m_meldung->setVisible(messageInputsConfigured(ws.image));
    m_windows.close(WindowId::frmExtra);
    if (ws.portReady()) {
        const OperationGate::Ticket ticket = ws.gate().tryEnter(ws.texts.LoadText(176));
        if (ticket)
            ws.services().PrepareLink();
    }
}

void frmZyklus::showLayout() {
    const bool extended = m_monitor.extended();
    for (QWidget* w : std::as_const(m_extendedOnly))
        w->setVisible(extended);
    if (!isMaximized() && !isMinimized())
        resize(std::max(width(), minimumSizeHint().width()), height());
}

void frmZyklus::showRunning(bool running) {
    m_cmdZyklus->setText(running ? QStringLiteral("Stop") : QStringLiteral("Start"));
    m_txtZZeit->setEnabled(!running);
    m_chkSpeichern->setEnabled(!running);
    // Polling started elsewhere (a mapping run) records nothing: no log choice then.
    m_chkSpeichern->setVisible(!running || m_startedHere);
    if (running)
        m_trend->clear(); // the time axis starts again with the monitoring
    if (!running)
        m_startedHere = false;
    showValueColors();
}

void frmZyklus::showValueColors() {
    // Grey while stopped; red marks what the user typed and has not sent yet.
    const QColor normal = palette().color(QPalette::Active, QPalette::Text);
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    const QColor red(255, 0, 0);
    const QColor shown = m_monitor.isRunning() ? normal : grey;
    for (int i = 0; i < 8; ++i) {
        setTextColor(m_txtSollw[i], m_redSetpoints[size_t(i)] ? red
                                    : m_editingSetpoints      ? grey
                                                              : shown);
        setTextColor(m_txtED[i], m_redOutputs[size_t(i)] ? red : m_editingOutputs ? grey : shown);
        setTextColor(m_txtZyklus[i], shown);
    }
    for (QLineEdit* e : std::as_const(m_txtStrom))
        setTextColor(e, shown);
    setTextColor(m_txtSpannung, shown);
    setTextColor(m_meldung, shown);
}

void frmZyklus::startStop() {
    if (m_monitor.isRunning()) {
        m_monitor.stop();
        return;
    }
    onIntervalEdited();
    QString path;
    if (m_chkSpeichern->isChecked()) {
        path = workspace().interaction().saveFileName(
            workspace().texts.LoadText(263), QStringLiteral("Tabelle (*.txt);;All Files (*.*)"));
        if (path.isEmpty())
            return; // cancelled: not started
    }
    m_startedHere = true;
    if (!m_monitor.start(path))
        m_startedHere = false;
}

void frmZyklus::onIntervalEdited() {
    QString shown;
    m_monitor.setInterval(Monitor::intervalOf(m_txtZZeit->text(), &shown));
    if (!shown.isEmpty())
        m_txtZZeit->setText(shown);
}

void frmZyklus::draw(const MonitorSnapshot& s) {
    Workspace& ws = workspace();
    m_shape4[0]->setVisible(s.poll % 2 == 1);
    m_shape4[1]->setVisible(s.poll % 2 == 0);
    for (int i = 0; i < 8; ++i) {
        if (s.setpoints && !m_editingSetpoints)
            m_txtSollw[i]->setText(s.setpointTexts[size_t(i)]);
        if (!s.cyclic)
            continue;
        m_txtZyklus[i]->setText(s.actualTexts[size_t(i)]);
        if (!m_editingOutputs)
            m_txtED[i]->setText(s.outputTexts[size_t(i)]);
        m_txtStrom[i]->setText(s.currentTexts[size_t(i)]);
    }
    if (s.cyclic)
        m_txtSpannung->setText(s.voltageText);
    if (s.extendedCurrents)
        for (int i = 8; i < 24; ++i)
            m_txtStrom[i]->setText(s.currentTexts[size_t(i)]);
    if (s.messageInputs)
        m_meldung->setText(s.messageText);
    if (s.errorWords) {
        const QPixmap mark = Pictures::errorMark();
        for (int i = 0; i <= 8; ++i) {
            const bool error = (*s.errorWords)[size_t(i)] != 0;
            m_imgError[i]->setPixmap(error ? mark : QPixmap());
            m_imgError[i]->setVisible(error);
        }
        const int device = (*s.errorWords)[8];
        m_lblGerFehl->setVisible(device != 0);
        if (device != 0)
            m_lblGerFehl->setText(deviceErrorText(ws.texts, device).trimmed());
    }
    if (s.cyclic) {
        m_trend->buffer().add(s, ws.image, m_monitor.formats());
        m_trend->samplesAdded();
    }
}

void frmZyklus::onTyped(bool setpoint, int channel) {
    bool& editing = setpoint ? m_editingSetpoints : m_editingOutputs;
    if (!editing) {
        editing = true;
        // The poll no longer overwrites what is being typed.
        if (setpoint)
            m_monitor.setSetpointRefresh(false);
    }
    (setpoint ? m_redSetpoints : m_redOutputs)[size_t(channel)] = true;
    (setpoint ? m_cmdSwwrite : m_cmdEDwrite)->setEnabled(true);
    showValueColors();
}

void frmZyklus::transfer(bool setpoint) {
    const QList<QLineEdit*>& fields = setpoint ? m_txtSollw : m_txtED;
    std::array<QString, 8> texts;
    for (int i = 0; i < 8; ++i)
        texts[size_t(i)] = fields[i]->text();
    const QList<int> invalid =
        setpoint ? storeSetpointTexts(workspace(), texts) : storeOutputTexts(workspace(), texts);
    std::array<bool, 8>& red = setpoint ? m_redSetpoints : m_redOutputs;
    if (!invalid.isEmpty()) {
        // Nothing is sent: the fields that are not numbers stay red, the button stays enabled.
        for (int k : invalid)
            red[size_t(k - 1)] = true;
        showValueColors();
        const Texts& t = workspace().texts;
        workspace().interaction().inform(
            workspace().identification.DeviceType + t.LoadText(240),
            monitorText(t, MonitorText::NotANumber).arg(fieldsText(invalid)),
            Interaction::Icon::Exclamation);
        return;
    }
    for (int i = 0; i < 8; ++i)
        fields[i]->setText(texts[size_t(i)]); // what is stored and sent
    red.fill(false);
    (setpoint ? m_editingSetpoints : m_editingOutputs) = false;
    (setpoint ? m_cmdSwwrite : m_cmdEDwrite)->setEnabled(false);
    if (setpoint)
        m_monitor.setSetpointRefresh(true);
    showValueColors();
    const Monitor::Transfer done =
        setpoint ? m_monitor.transferSetpoints() : m_monitor.transferOutputs();
    if (done == Monitor::Transfer::Failed || done == Monitor::Transfer::Refused)
        showNotSent(setpoint);
}

void frmZyklus::showNotSent(bool setpoint) {
    // Shown as typed and not transferred, so nothing seems sent that was not.
    (setpoint ? m_editingSetpoints : m_editingOutputs) = true;
    (setpoint ? m_redSetpoints : m_redOutputs).fill(true);
    (setpoint ? m_cmdSwwrite : m_cmdEDwrite)->setEnabled(true);
    if (setpoint)
        m_monitor.setSetpointRefresh(false);
    showValueColors();
}

void frmZyklus::stopMapping() {
    const std::optional<bool> running = m_monitor.stopMapping();
    if (running && !*running)
        m_cmdStop->hide();
}

void frmZyklus::showErrorList(int image) {
    const Workspace& ws = workspace();
    const Texts& t = ws.texts;
    QStringList lines;
    if (image < 8) {
        m_gridModel->setHeader({t.LoadText(254) + QString::number(image + 1)});
        lines = alarmTexts(ws.deviceErrors.channel[size_t(image)], t);
    } else {
        m_gridModel->setHeader({t.LoadText(269)});
        lines = deviceErrorLines(t, ws.deviceErrors.device);
    }
    QList<QStringList> rows;
    for (const QString& line : std::as_const(lines))
        rows.append({line.simplified()});
    m_gridModel->setRows(rows);
    QWidget* mark = m_imgError[image];
    const QPoint at = mapFromGlobal(mark->mapToGlobal(QPoint(mark->width(), 0)));
    const int height =
        m_grid->horizontalHeader()->sizeHint().height() +
        std::max<int>(1, int(rows.size())) * m_grid->verticalHeader()->defaultSectionSize() + 4;
    m_grid->setGeometry(at.x(), at.y(), 240, height);
    m_grid->raise();
    m_grid->show();
    m_grid->setFocus();
}

void frmZyklus::closeEvent(QCloseEvent* event) {
    m_monitor.stop();
    m_grid->hide();
    SecondaryWindow::closeEvent(event);
}

bool frmZyklus::eventFilter(QObject* watched, QEvent* event) {
    if (m_grid && (watched == m_grid || watched == m_grid->viewport())) {
        // Any action of the user on the list hides it again.
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress ||
            event->type() == QEvent::FocusOut) {
            m_grid->hide();
            return event->type() != QEvent::FocusOut;
        }
        return SecondaryWindow::eventFilter(watched, event);
    }
    const int image = int(m_imgError.indexOf(static_cast<QLabel*>(watched)));
    if (image >= 0) {
        const bool key = event->type() == QEvent::KeyPress &&
                         (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                          static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space);
        if (event->type() == QEvent::MouseButtonRelease || key) {
            showErrorList(image);
            return true;
        }
    }
    return SecondaryWindow::eventFilter(watched, event);
}
