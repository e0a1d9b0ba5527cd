#include "services/ui/frmExtra.h"

#include "app/Workspace.h"
#include "app/ui/FormBinder.h"
#include "app/ui/WindowManager.h"
#include "base/NumberText.h"
#include "device/DeviceServices.h"
#include "device/Transfers.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
constexpr int kTextMappingStart = 470;
constexpr int kTextMappingStop = 471;
constexpr int kTextCaution = 425;
constexpr int kTextReset = 424;

// Colours of the transfer buttons: green and red while a transfer can be started, grey while
// one runs.
const char* const kGreen = "QPushButton { background-color: #00c000; }";
const char* const kRed = "QPushButton { background-color: #ff0000; color: white; }";
const char* const kGrey = "QPushButton { background-color: #c0c0c0; }";

QPushButton* button(QWidget* parent, const char* name) {
    auto* b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QGroupBox* optionGroup(QWidget* parent, const char* name, const char* stem,
                       const QStringList& texts, int columns, QButtonGroup** group) {
    auto* box = new QGroupBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* grid = new QGridLayout(box);
    *group = new QButtonGroup(box);
    const int rows = int((texts.size() + columns - 1) / columns);
    for (int i = 0; i < texts.size(); ++i) {
        auto* option = new QRadioButton(texts[i], box);
        option->setObjectName(indexedName(QString::fromLatin1(stem), i));
        (*group)->addButton(option, i);
        grid->addWidget(option, i % rows, i / rows);
    }
    return box;
}

void setGroupVisible(QGroupBox* box, QButtonGroup* group, bool visible) {
    box->setVisible(visible);
    for (QAbstractButton* option : group->buttons())
        option->setVisible(visible);
}

// The Tab key enters an option group at one option only (Qt takes the Tab focus from the
// others, the arrow keys move on): the chosen one, or the first that can be chosen when the
// firmware does not offer the chosen one.
void keepReachable(QButtonGroup* group) {
    QAbstractButton* entry = group->checkedButton();
    if (!entry || !entry->isEnabled())
        for (QAbstractButton* option : group->buttons())
            if (option->isEnabled()) {
                entry = option;
                break;
            }
    if (!entry)
        return;
    for (QAbstractButton* option : group->buttons())
        option->setFocusPolicy(option == entry ? Qt::StrongFocus
                                               : Qt::FocusPolicy(Qt::StrongFocus & ~Qt::TabFocus));
}
} // namespace

frmExtra::frmExtra(Workspace& ws, WindowManager& windows)
    : SecondaryWindow(ws, QStringLiteral("frmExtra")), m_ws(ws), m_windows(windows),
      m_extra(ws.services(), ws, ws.interaction()) {
    buildWidgets();
    const QString& type = ws.identification.DeviceType;
    setCaptions({
        {QStringLiteral("frmExtra"), 0, type + QStringLiteral(" Extra")},
        {QStringLiteral("cmdAbbruch"), 302},
        {QStringLiteral("cmdReset"), 257, type + u' '},
        {QStringLiteral("fraBaud"), 163},
        {QStringLiteral("fraParity"), 168},
        {QStringLiteral("cmdOK"), 0, QStringLiteral("Ok")},
        {QStringLiteral("cmdcanok"), 0, QStringLiteral("Ok")},
        {QStringLiteral("fraCanBaud"), 0, QStringLiteral("Can Baudrate")},
        {QStringLiteral("lblModAdr"), 0, QStringLiteral("Modbus Adr.")},
        {QStringLiteral("cmdModAdr"), 0, QStringLiteral("Ok")},
        {QStringLiteral("lblTimeDate"), 0, QStringLiteral("h : m : s    d . m . y")},
        {QStringLiteral("cmdGetPC"), 0, QStringLiteral("<=   PC Time")},
        {QStringLiteral("cmdGetTime"), 0, QStringLiteral("<=   ") + type},
        {QStringLiteral("cmdSetTime"), 0, QStringLiteral("=>   ") + type},
        {QStringLiteral("cmdHUE"), 472},
        {QStringLiteral("cmdR2CPU"), 0, type + QStringLiteral(" => Chan.DBs")},
        {QStringLiteral("cmdR2DB100"), 0, type + QStringLiteral(" => ParamDB")},
        {QStringLiteral("ShowToggel"), 0, QStringLiteral("Bus Commun. => LEDs")},
    });

    m_timTrans.setObjectName(QStringLiteral("timTrans"));
    m_timTrans.setInterval(ExtraFunctions::TransferPollMs);
    m_timTrans.setSingleShot(true); // armed again after each poll: one poll at a time
    connect(&m_timTrans, &QTimer::timeout, this, &frmExtra::pollTransfer);

    connect(&m_extra, &ExtraFunctions::monitoringStopRequested, &m_ws,
            &Workspace::monitoringStopRequested);
    connect(&m_extra, &ExtraFunctions::mappingStarted, this, [this] {
        // The channel error table and the channel parameters make way for the monitoring.
        Q_EMIT m_ws.transfers().channelErrorTableHideRequested();
        m_windows.close(WindowId::frmRegler);
        Q_EMIT m_ws.mappingStarted();
        if (m_windows.available(WindowId::frmZyklus))
            m_windows.open(WindowId::frmZyklus);
    });
    connect(&m_ws.services(), &DeviceServices::mappingStateChanged, this, &frmExtra::showMapping);
    connect(&m_ws, &DeviceData::identificationChanged, this, &frmExtra::applyLayout);
    connect(&m_ws, &DeviceData::elementChanged, this, [this](int row, int column) {
        if (row == IdentificationRows::Attributes && column == 1)
            applyLayout();
    });
    applyLayout();
    showClock();
    selectCanBaud(DefaultCanBaudIndex);
}

frmExtra::~frmExtra() {
    // A clock field loses the focus while the children are destroyed; its editingFinished must
    // not reach this half-destroyed window.
    for (QLineEdit* field : std::as_const(m_txtTimeDate))
        field->disconnect(this);
    m_fraCanBaud->removeEventFilter(this);
}

void frmExtra::buildWidgets() {
    auto* outer = new QVBoxLayout(this);

    // The controller's interfaces.
    auto* interfaces = new QHBoxLayout;
    m_fraBaud = optionGroup(this, "fraBaud", "optBaud", interfaceBaudTexts(), 1, &m_optBaud);
    m_fraParity = optionGroup(this, "fraParity", "optPar", interfaceParityTexts(), 1, &m_optPar);
    m_cmdOK = button(this, "cmdOK");
    interfaces->addWidget(m_fraBaud);
    interfaces->addWidget(m_fraParity);
    interfaces->addWidget(m_cmdOK, 0, Qt::AlignBottom);
    interfaces->addSpacing(16);
    m_fraCanBaud = optionGroup(this, "fraCanBaud", "optCanBaud", canBaudTexts(), 3, &m_optCanBaud);
    // A click on the frame asks the controller for its CAN baud rate again.
    m_fraCanBaud->installEventFilter(this);
    m_cmdcanok = button(this, "cmdcanok");
    interfaces->addWidget(m_fraCanBaud);
    interfaces->addWidget(m_cmdcanok, 0, Qt::AlignBottom);
    interfaces->addStretch(1);
    outer->addLayout(interfaces);

    // Modbus address: read, never shown.
    m_lblModAdr = new QLabel(this);
    m_lblModAdr->setObjectName(QStringLiteral("lblModAdr"));
    m_txtModAdr = new QLineEdit(this);
    m_txtModAdr->setObjectName(QStringLiteral("txtModAdr"));
    m_cmdModAdr = button(this, "cmdModAdr");
    for (QWidget* w : {static_cast<QWidget*>(m_lblModAdr), static_cast<QWidget*>(m_txtModAdr),
                       static_cast<QWidget*>(m_cmdModAdr)})
        w->hide();

    // The controller's clock.
    auto* clock = new QGridLayout;
    m_lblTimeDate = new QLabel(this);
    m_lblTimeDate->setObjectName(QStringLiteral("lblTimeDate"));
    clock->addWidget(m_lblTimeDate, 0, 0, 1, 6);
    auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,4}")), this);
    for (int i = 0; i < 6; ++i) {
        auto* field = new QLineEdit(this);
        field->setObjectName(indexedName(u"txtTimeDate", i));
        field->setValidator(digits);
        field->setAlignment(Qt::AlignCenter);
        // Room for the digits and no more, whatever the font.
        const QString widest = i == 5 ? QStringLiteral("0000") : QStringLiteral("00");
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(widest) + 20);
        connect(field, &QLineEdit::editingFinished, this, [this, i] { takeClockField(i); });
        m_txtTimeDate.append(field);
        clock->addWidget(field, 1, i);
    }
    m_cmdGetPC = button(this, "cmdGetPC");
    m_cmdGetTime = button(this, "cmdGetTime");
    m_cmdSetTime = button(this, "cmdSetTime");
    clock->addWidget(m_cmdGetPC, 1, 7);
    clock->addWidget(m_cmdGetTime, 1, 8);
    clock->addWidget(m_cmdSetTime, 1, 9);
    clock->setColumnStretch(10, 1);
    outer->addLayout(clock);

    // Commands.
    auto* commands = new QGridLayout;
    m_cmdReset = button(this, "cmdReset");
    m_cmdModbus = button(this, "cmdModbus");
    m_cmdHUE = button(this, "cmdHUE");
    m_cmdMapping = button(this, "cmdMapping");
    m_ShowToggel = button(this, "ShowToggel");
    m_cmdR2CPU = button(this, "cmdR2CPU");
    m_cmdR2DB100 = button(this, "cmdR2DB100");
    commands->addWidget(m_cmdReset, 0, 0);
    commands->addWidget(m_cmdModbus, 0, 1);
    commands->addWidget(m_cmdHUE, 1, 0);
    commands->addWidget(m_cmdMapping, 1, 1);
    commands->addWidget(m_ShowToggel, 2, 0);
    commands->addWidget(m_cmdR2CPU, 3, 0);
    commands->addWidget(m_cmdR2DB100, 3, 1);
    commands->setColumnStretch(2, 1);
    outer->addLayout(commands);

    outer->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    m_cmdAbbruch = button(this, "cmdAbbruch");
    bottom->addWidget(m_cmdAbbruch);
    outer->addLayout(bottom);

    connect(m_cmdOK, &QPushButton::clicked, this, &frmExtra::sendInterface);
    connect(m_optBaud, &QButtonGroup::idClicked, this, &frmExtra::updateInterfaceButton);
    connect(m_cmdcanok, &QPushButton::clicked, this, &frmExtra::sendCanBaud);
    connect(m_cmdModbus, &QPushButton::clicked, this, &frmExtra::switchProtocol);
    connect(m_cmdGetPC, &QPushButton::clicked, this, [this] {
        m_clock = clockFromDateTime(QDateTime::currentDateTime());
        showClock();
    });
    connect(m_cmdGetTime, &QPushButton::clicked, this, &frmExtra::readClock);
    connect(m_cmdSetTime, &QPushButton::clicked, this, &frmExtra::setClock);
    connect(m_cmdReset, &QPushButton::clicked, this,
            [this] { run(m_cmdReset, [this] { m_extra.reset(); }); });
    connect(m_cmdHUE, &QPushButton::clicked, this, [this] {
        run(m_cmdHUE, [this] { m_extra.command(OperationCommand::HeatingCurrent); });
    });
    connect(m_ShowToggel, &QPushButton::clicked, this,
            [this] { run(m_ShowToggel, [this] { m_extra.command(OperationCommand::Leds); }); });
    connect(m_cmdMapping, &QPushButton::clicked, this, &frmExtra::toggleMapping);
    connect(m_cmdR2CPU, &QPushButton::clicked, this,
            [this] { startTransfer(OperationCommand::ToChannelDbs); });
    connect(m_cmdR2DB100, &QPushButton::clicked, this,
            [this] { startTransfer(OperationCommand::ToParamDb); });
    connect(m_cmdAbbruch, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
    // F5 among the CAN options asks the controller again, as a click on their frame does.
    auto* reread = new QShortcut(QKeySequence::Refresh, m_fraCanBaud);
    reread->setContext(Qt::WidgetWithChildrenShortcut);
    connect(reread, &QShortcut::activated, this, &frmExtra::readCanBaud);
}

void frmExtra::retranslate() {
    SecondaryWindow::retranslate();
    m_cmdReset->setToolTip(m_ws.texts.LoadText(kTextReset));
    showMapping(m_mappingActive);
    showProtocol();
}

// ---------------------------------------------------------------------------------------------
// What the window shows

void frmExtra::applyLayout() {
    const int v = m_ws.identification.FirmwareVersion;
    const ExtraLayout l = extraLayout(v, int(m_ws.image.value(IdentificationRows::Attributes, 1)));
    setGroupVisible(m_fraBaud, m_optBaud, l.interfaceGroup);
    setGroupVisible(m_fraParity, m_optPar, l.parityGroup);
    m_cmdOK->setVisible(l.interfaceGroup);
    for (int i = 0; i < 4; ++i)
        m_optBaud->button(i)->setEnabled(l.baudEnabled[size_t(i)]);
    keepReachable(m_optBaud);
    setGroupVisible(m_fraCanBaud, m_optCanBaud, l.canGroup);
    m_cmdcanok->setVisible(l.canGroup);
    m_cmdR2CPU->setVisible(l.transferButtons);
    m_cmdR2DB100->setVisible(l.transferButtons);
    m_ShowToggel->setVisible(l.transferButtons);
    m_cmdMapping->setVisible(l.mapping);
    m_lblTimeDate->setVisible(l.clock);
    for (QLineEdit* field : std::as_const(m_txtTimeDate))
        field->setVisible(l.clock);
    m_cmdGetPC->setVisible(l.clock);
    m_cmdGetTime->setVisible(l.clock);
    m_cmdSetTime->setVisible(l.clock);
    m_cmdHUE->setVisible(l.heatingCurrent);
    showProtocol();
    updateInterfaceButton();
}

void frmExtra::showProtocol() {
    // The caption comes from the attributes in the image, and a click sends what it says.
    m_protocol = protocolFor(m_ws.identification.FirmwareVersion,
                             int(m_ws.image.value(IdentificationRows::Attributes, 1)));
    const BusProtocol protocol = m_protocol;
    setTextKeepingWidth(
        m_cmdModbus, [protocol](const Texts&) { return protocolCaption(protocol); }, m_ws.texts);
    m_cmdModbus->setToolTip(m_ws.texts.LoadText(protocolToolTipText(protocol)));
}

void frmExtra::showMapping(bool active) {
    m_mappingActive = active;
    setTextKeepingWidth(
        m_cmdMapping,
        [active](const Texts& t) {
            return t.LoadText(active ? kTextMappingStop : kTextMappingStart);
        },
        m_ws.texts);
    m_cmdMapping->setToolTip(m_ws.texts.LoadText(kTextCaution));
}

void frmExtra::showClock() {
    for (int i = 0; i < 6; ++i)
        m_txtTimeDate[i]->setText(clockFieldText(m_clock, i));
}

void frmExtra::takeClockField(int field) {
    if (const std::optional<double> typed = strictNumber(m_txtTimeDate[field]->text()))
        setClockField(m_clock, field, *typed);
    m_txtTimeDate[field]->setText(clockFieldText(m_clock, field));
}

void frmExtra::selectCanBaud(int index) {
    // Every option is cleared first, so none stays checked beside the new one.
    m_optCanBaud->setExclusive(false);
    for (QAbstractButton* option : m_optCanBaud->buttons())
        option->setChecked(false);
    m_optCanBaud->setExclusive(true);
    if (QAbstractButton* option = m_optCanBaud->button(index))
        option->setChecked(true);
}

void frmExtra::setTransferButtons(bool running) {
    for (QPushButton* b : {m_cmdR2CPU, m_cmdR2DB100})
        b->setEnabled(!running);
    m_cmdR2CPU->setStyleSheet(QString::fromLatin1(running ? kGrey : kGreen));
    m_cmdR2DB100->setStyleSheet(QString::fromLatin1(running ? kGrey : kRed));
    if (running)
        m_timTrans.start();
    else
        m_timTrans.stop();
}

void frmExtra::updateInterfaceButton() {
    // Only what this firmware offers can be sent.
    m_cmdOK->setEnabled(interfaceOffers(m_ws.identification.FirmwareVersion, m_optBaud->checkedId(),
                                        std::max(m_optPar->checkedId(), 0)));
}

void frmExtra::showFindings(const ExtraFindings& found) {
    applyLayout();
    if (found.transferStatus)
        setTransferButtons(transferRunning(*found.transferStatus));
    if (found.modbusAddress)
        m_txtModAdr->setText(QString::number(*found.modbusAddress));
    if (found.canBaudIndex)
        selectCanBaud(*found.canBaudIndex);
    if (found.clock) {
        m_clock = *found.clock;
        showClock();
    }
}

// ---------------------------------------------------------------------------------------------
// Activation and the commands

void frmExtra::activated() {
    applyLayout();
    if (m_cmdMapping->isVisible())
        showMapping(false); // until the controller says otherwise
    // The PC's own line settings preselect the controller's interface.
    const QString& settings = m_ws.settings.SettingsText;
    if (QAbstractButton* baud = m_optBaud->button(interfaceBaudIndexOf(settings)))
        baud->setChecked(true);
    if (QAbstractButton* parity = m_optPar->button(interfaceParityIndexOf(settings)))
        parity->setChecked(true);
    keepReachable(m_optBaud);
    updateInterfaceButton();
    if (!m_ws.portReady())
        return;
    // The user did not start these reads just now: a running operation is not disturbed.
    OperationGate::Ticket ticket = m_ws.gate().tryEnter(windowTitle());
    if (!ticket)
        return;
    ++m_running;
    const ExtraFindings found = m_extra.activate();
    --m_running;
    ticket.release();
    showFindings(found);
    if (m_closeWhenIdle)
        close();
}

bool frmExtra::busy() const {
    return m_running > 0 || SecondaryWindow::busy();
}

void frmExtra::run(QAbstractButton* button, const std::function<void()>& operation) {
    const OperationGate::Ticket ticket = m_ws.gate().enter(withoutMnemonic(button->text()));
    if (!ticket)
        return;
    ++m_running;
    operation();
    --m_running;
    if (m_closeWhenIdle && m_running == 0)
        close();
}

void frmExtra::closeEvent(QCloseEvent* event) {
    if (m_running > 0) {
        // The window goes when the exchange in progress has ended.
        m_closeWhenIdle = true;
        event->ignore();
        return;
    }
    m_closeWhenIdle = false;
    SecondaryWindow::closeEvent(event);
}

void frmExtra::hideEvent(QHideEvent* event) {
    m_timTrans.stop();
    SecondaryWindow::hideEvent(event);
}

bool frmExtra::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_fraCanBaud && event->type() == QEvent::MouseButtonRelease)
        readCanBaud();
    return SecondaryWindow::eventFilter(watched, event);
}

void frmExtra::sendInterface() {
    const int baud = m_optBaud->checkedId();
    const int parity = std::max(m_optPar->checkedId(), 0);
    if (!interfaceOffers(m_ws.identification.FirmwareVersion, baud, parity))
        return;
    run(m_cmdOK, [&] { m_extra.setInterface(baud, parity); });
}

void frmExtra::sendCanBaud() {
    const int index = m_optCanBaud->checkedId();
    if (index < 0)
        return;
    run(m_cmdcanok, [&] { m_extra.setCanBaud(index); });
}

void frmExtra::readCanBaud() {
    run(m_cmdcanok, [this] {
        if (const std::optional<int> index = m_extra.readCanBaud())
            selectCanBaud(*index);
    });
}

void frmExtra::switchProtocol() {
    const BusProtocol protocol = m_protocol;
    run(m_cmdModbus, [&] { m_extra.switchProtocol(protocol); });
}

void frmExtra::readClock() {
    run(m_cmdGetTime, [this] {
        if (const std::optional<ClockBuffer> c = m_extra.readClock()) {
            m_clock = *c;
            showClock();
        }
    });
}

void frmExtra::setClock() {
    // A field still being typed in counts, also when the button was reached without leaving it.
    for (int i = 0; i < 6; ++i)
        takeClockField(i);
    run(m_cmdSetTime, [this] {
        // The user sees what was sent (an impossible day is cut to the month's length).
        if (const std::optional<ClockBuffer> sent = m_extra.setClock(m_clock)) {
            m_clock = *sent;
            showClock();
        }
    });
}

void frmExtra::toggleMapping() {
    run(m_cmdMapping, [this] { m_extra.toggleMapping(); });
}

void frmExtra::startTransfer(OperationCommand transfer) {
    QPushButton* b = transfer == OperationCommand::ToChannelDbs ? m_cmdR2CPU : m_cmdR2DB100;
    run(b, [&] {
        if (m_extra.startTransfer(transfer))
            setTransferButtons(true);
    });
}

void frmExtra::pollTransfer() {
    if (!isVisible())
        return;
    // A poll the user did not start waits for a running operation instead of disturbing it.
    OperationGate::Ticket ticket = m_ws.gate().tryEnter(windowTitle());
    if (!ticket) {
        m_timTrans.start();
        return;
    }
    ++m_running;
    const std::optional<int> status = m_extra.pollOperationStatus();
    --m_running;
    ticket.release();
    if (m_closeWhenIdle) {
        close();
        return;
    }
    // A controller that stopped answering is not asked again and again (it was said once).
    if (!status || !transferRunning(*status))
        setTransferButtons(false);
    else if (isVisible())
        m_timTrans.start();
}
