#include "app/ui/frmKonfig.h"

#include "app/Defaults.h"
#include "app/FrameTexts.h"
#include "app/Workspace.h"
#include "app/ui/Pictures.h"
#include "base/Interaction.h"
#include "device/DeviceServices.h"
#include "device/ParameterBlocks.h"
#include "device/Transfers.h"
#include "link/Link.h"
#include "link/QtSerialPort.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QString indexed(const char* stem, int i) {
    return QString::fromUtf8(stem) + u'_' + QString::number(i);
}

// Design captions of the feature-code entries: A part with its I/O equipment, B part with the
// input kind.
const char* const kFeatureCaptions[] = {
    "A0 B1   16 I/O, thermo", "A1 B1   20 I/O, thermo", "A2 B1   16 I/O + 4 cont., thermo",
    "A0 B2   16 I/O, 20 mA",  "A1 B2   20 I/O, 20 mA",  "A2 B2   16 I/O + 4 cont., 20 mA"};
} // namespace

frmKonfig::frmKonfig(Workspace& workspace, Interaction& interaction, FrameOptions options,
                     QWidget* parent)
    : QMainWindow(parent), m_ws(workspace), m_interaction(interaction),
      m_options(std::move(options)) {
    setObjectName(QStringLiteral("frmKonfig"));
    if (!m_options.makePort)
        m_options.makePort = [](const QString& device) -> SerialPort* {
            return new QtSerialPort(device);
        };
    if (!m_options.listDevices)
        m_options.listDevices = [] {
            return serialPortDevices();
        };
    m_settingsPath =
        m_options.settingsPath.isEmpty() ? defaultSettingsPath() : m_options.settingsPath;

    buildWidgets();
    buildMenus();

    Transfers& transfers = m_ws.transfers();
    connect(&transfers, &Transfers::progressStarted, this, [this](int maximum) {
        m_progress->setRange(0, maximum);
        m_progress->setValue(0);
        m_progress->show();
    });
    connect(&transfers, &Transfers::progress, m_progress, &QProgressBar::setValue);
    connect(&transfers, &Transfers::progressFinished, m_progress, &QWidget::hide);
    connect(&transfers, &Transfers::notice, this,
            [this](const QString& text) { statusBar()->showMessage(text, 10000); });
    connect(&transfers, &Transfers::busyChanged, this, [this](bool busy) {
        if (busy)
            setCursor(Qt::WaitCursor);
        else
            unsetCursor();
    });
    connect(&transfers, &Transfers::derivedRefreshRequested, this, &frmKonfig::refreshActivation);
    connect(&transfers, &Transfers::parameterSetIdChanged, this,
            [this] { setPanel(4, parameterSetIdPanelText(m_ws.identification.ParameterSetId)); });
    connect(&transfers, &Transfers::configurationFileNameChanged, this,
            [this](const QString& shown) { setPanel(5, shown); });
    connect(&m_ws, &Workspace::featureCodeShown, this, [this](const QString& text, int entry) {
        setPanel(2, text);
        for (int i = 0; i < m_featureEntries.size(); ++i)
            m_featureEntries[i]->setChecked(i == entry);
    });
    connect(&m_ws, &Workspace::configurationFileNameChanged, this,
            [this](const QString& shown) { setPanel(5, shown); });
    connect(&m_ws, &Workspace::configurationLoaded, this, &frmKonfig::refreshActivation);
    connect(&m_ws, &Workspace::firmwareShown, this,
            [this](const QString& text) { setPanel(3, text); });
    connect(&m_ws.services(), &DeviceServices::firmwareVersionRead, this,
            [this](int version) { setPanel(3, firmwareText(version)); });
    connect(&m_ws.link(), &Link::deviceErrorsDecoded, this, &frmKonfig::showDeviceErrors);
    connect(&m_ws.link(), &Link::portLost, this, [this](const QString& reason) {
        // The port has closed itself: device operations stay disabled until one is chosen.
        PortUnavailable = true;
        updateEntryStates();
        m_interaction.inform(QStringLiteral("Error"), reason, Interaction::Icon::Critical);
    });

    startUp();
}

frmKonfig::~frmKonfig() {
    // The address field loses the focus while the children are destroyed; its editingFinished
    // must not reach this half-destroyed window.
    m_txtGAdress->disconnect(this);
    m_ws.setPort(nullptr);
}

// ---------------------------------------------------------------------------------------------
// Widgets and menus

void frmKonfig::buildWidgets() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("frmKonfigArea"));
    auto* outer = new QVBoxLayout(central);

    // Head: device picture and name, controller address, language flags.
    auto* head = new QHBoxLayout;
    m_image1 = new QLabel(central);
    m_image1->setObjectName(QStringLiteral("Image1"));
    head->addWidget(m_image1);
    m_label6 = new QLabel(central);
    m_label6->setObjectName(QStringLiteral("Label6"));
    QFont big = m_label6->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    m_label6->setFont(big);
    head->addWidget(m_label6);
    head->addStretch(1);
    auto* address = new QVBoxLayout;
    m_lblAdr = new QLabel(central);
    m_lblAdr->setObjectName(QStringLiteral("lblAdr"));
    m_txtGAdress = new QLineEdit(central);
    m_txtGAdress->setObjectName(QStringLiteral("txtGAdress"));
    // Digits only; a number above 255 is taken as 0 when the field is left.
    m_txtGAdress->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\d{0,3}")), m_txtGAdress));
    m_txtGAdress->setMaxLength(3);
    m_txtGAdress->setFixedWidth(60);
    connect(m_txtGAdress, &QLineEdit::editingFinished, this,
            [this] { setDeviceAddressText(m_txtGAdress->text()); });
    address->addWidget(m_lblAdr);
    address->addWidget(m_txtGAdress);
    head->addLayout(address);
    head->addSpacing(16);
    auto* flags = new QHBoxLayout;
    static const char* const languageNames[] = {"Deutsch", "English", "Français", "Italiano"};
    for (int i = 0; i < 4; ++i) {
        auto* button = new QToolButton(central);
        button->setObjectName(indexed("cmdSprache", i));
        button->setIcon(QIcon(Pictures::flag(i)));
        button->setIconSize(QSize(30, 20));
        button->setAutoRaise(true);
        button->setCheckable(true);
        button->setToolTip(QString::fromUtf8(languageNames[i]));
        connect(button, &QToolButton::clicked, this, [this, i] { setLanguage(i); });
        m_cmdSprache.append(button);
        flags->addWidget(button);
    }
    head->addLayout(flags);
    outer->addLayout(head);

    // The wiring picture and channel blocks are edited here; until that editor is part of the
    // program the area is marked as such.
    m_ioPlaceholder = new QLabel(central);
    m_ioPlaceholder->setObjectName(QStringLiteral("fraIoArea"));
    m_ioPlaceholder->setAlignment(Qt::AlignCenter);
    m_ioPlaceholder->setFrameShape(QFrame::StyledPanel);
    m_ioPlaceholder->setFrameShadow(QFrame::Sunken);
    m_ioPlaceholder->setMinimumSize(640, 260);
    m_ioPlaceholder->setStyleSheet(QStringLiteral("color: palette(mid);"));
    outer->addWidget(m_ioPlaceholder, 1);

    // Device error display.
    auto* errors = new QFrame(central);
    errors->setFrameShape(QFrame::StyledPanel);
    errors->setObjectName(QStringLiteral("fraErrors"));
    auto* grid = new QGridLayout(errors);
    m_lblDeviceAlarm = new QLabel(errors);
    m_lblDeviceAlarm->setObjectName(QStringLiteral("lblDeviceAlarm"));
    const QPixmap mark = Pictures::errorMark();
    for (int i = 0; i <= 8; ++i) {
        auto* image = new QLabel(errors);
        image->setObjectName(indexed("imgError", i));
        image->setFixedSize(mark.size());
        auto* slot = new QWidget(errors); // keeps its place while the image is hidden
        slot->setFixedSize(mark.size());
        image->setParent(slot);
        image->hide();
        m_imgError.append(image);
        if (i < 8) {
            auto* digit = new QLabel(QString::number(i + 1), errors);
            digit->setObjectName(indexed("lblChannelDigit", i));
            digit->setAlignment(Qt::AlignCenter);
            m_channelDigits.append(digit);
            grid->addWidget(digit, 0, i, Qt::AlignCenter);
            grid->addWidget(slot, 1, i, Qt::AlignCenter);
        } else {
            grid->addWidget(m_lblDeviceAlarm, 0, 9);
            grid->addWidget(slot, 1, 9, Qt::AlignLeft | Qt::AlignTop);
        }
    }
    grid->setColumnMinimumWidth(8, 16);
    m_lblGerFehler = new QLabel(errors);
    m_lblGerFehler->setObjectName(QStringLiteral("lblGerFehler"));
    m_lblGerFehler->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_lblGerFehler->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblGerFehler->setMinimumWidth(200);
    grid->addWidget(m_lblGerFehler, 0, 10, 3, 1);
    grid->setColumnStretch(10, 1);
    m_cmdReadError = new QPushButton(errors);
    m_cmdReadError->setObjectName(QStringLiteral("cmdReadError"));
    m_cmdClearErr = new QPushButton(errors);
    m_cmdClearErr->setObjectName(QStringLiteral("cmdClearErr"));
    connect(m_cmdReadError, &QPushButton::clicked, this, &frmKonfig::readDeviceErrors);
    connect(m_cmdClearErr, &QPushButton::clicked, this, &frmKonfig::clearDeviceErrors);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_cmdReadError);
    buttons->addWidget(m_cmdClearErr);
    grid->addLayout(buttons, 0, 11, 3, 1);
    outer->addWidget(errors);

    m_progress = new QProgressBar(central);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    // Its place is kept while it is hidden, so the window does not jump at every transfer.
    QSizePolicy keep = m_progress->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(keep);
    outer->addWidget(m_progress);
    setCentralWidget(central);

    // Status bar: version, feature code, firmware, parameter set ID, file in use.
    static const int widths[] = {100, 220, 110, 200, 140};
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(indexed("sbPanel", i + 1));
        panel->setMinimumWidth(widths[i]);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setContentsMargins(3, 0, 3, 0);
        statusBar()->addWidget(panel, i == 4 ? 1 : 0);
        m_panels.append(panel);
    }
    m_simulatorNotice = new QLabel(this);
    m_simulatorNotice->setObjectName(QStringLiteral("lblSimulator"));
    m_simulatorNotice->setStyleSheet(QStringLiteral(
        "QLabel { background: #ffd24d; color: black; font-weight: bold; padding: 1px 6px; }"));
    statusBar()->addPermanentWidget(m_simulatorNotice);
    m_simulatorNotice->hide();
    resize(1120, 660);
}

QMenu* frmKonfig::addMenu(QMenu* parent, const QString& name) {
    QMenu* menu = parent ? parent->addMenu(QString()) : menuBar()->addMenu(QString());
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    menu->setToolTipsVisible(true);
    return menu;
}

QAction* frmKonfig::addEntry(QMenu* menu, const QString& name, bool needsPort) {
    QAction* action = menu ? menu->addAction(QString()) : menuBar()->addAction(QString());
    action->setObjectName(name);
    Entry entry;
    entry.action = action;
    entry.needsPort = needsPort;
    m_entries.insert(name, entry);
    connect(action, &QAction::triggered, this, [this, name] { triggerEntry(name); });
    return action;
}

void frmKonfig::buildMenus() {
    // File
    m_mnuDatei = addMenu(nullptr, QStringLiteral("mnuDatei"));
    addEntry(m_mnuDatei, QStringLiteral("mnuOeffnen"), false);
    addEntry(m_mnuDatei, QStringLiteral("mnuSpeichern"), false);
    setEntryHandler(QStringLiteral("mnuOeffnen"), [this] { m_ws.OpenConfigurationCommand(); });
    // Newer firmware confirms the parameter-set ID before saving; until that window is part of
    // the program the file is written with the ID as it is.
    setEntryHandler(QStringLiteral("mnuSpeichern"), [this] { m_ws.SaveConfigurationCommand(); });
    addEntry(m_mnuDatei, QStringLiteral("mnuWLDauf"), false);
    addEntry(m_mnuDatei, QStringLiteral("mnuWLDspei"), false);
    m_mnuDatei->addSeparator();
    m_mnuEnd = m_mnuDatei->addAction(QString());
    m_mnuEnd->setObjectName(QStringLiteral("mnuEnd"));
    connect(m_mnuEnd, &QAction::triggered, this, &QWidget::close);

    // Options
    m_mnuKonfig = addMenu(nullptr, QStringLiteral("mnuKonfig"));
    m_mnuMerkmal = addMenu(m_mnuKonfig, QStringLiteral("mnuMerkmal"));
    for (int i = 0; i < 6; ++i) {
        QAction* a = addEntry(m_mnuMerkmal, indexed("mnuMerk", i), false);
        a->setCheckable(true);
        m_featureEntries.append(a);
    }

    // Interface
    m_mnuSchnitt = addMenu(nullptr, QStringLiteral("mnuSchnitt"));
    m_mnuPort = addMenu(m_mnuSchnitt, QStringLiteral("mnuPort"));
    m_portPlaceholder = m_mnuPort->addAction(QStringLiteral("Com"));
    m_portPlaceholder->setObjectName(QStringLiteral("mnucom_0"));
    m_portPlaceholder->setEnabled(false);
    m_mnuBaud = addMenu(m_mnuSchnitt, QStringLiteral("mnuBaud"));
    for (int k = 1; k <= 4; ++k) {
        QAction* a = m_mnuBaud->addAction(QString());
        a->setObjectName(indexed("mnuBaudrate", k));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, k] { chooseBaudRate(k); });
        m_baudEntries.append(a);
    }
    m_mnuParity = addMenu(m_mnuSchnitt, QStringLiteral("mnuParity"));
    for (int k = 1; k <= 4; ++k) {
        QAction* a = m_mnuParity->addAction(QString());
        a->setObjectName(indexed("mnuPar", k));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, k] { chooseParity(k); });
        m_parityEntries.append(a);
    }
    connect(m_mnuSchnitt, &QMenu::aboutToShow, this, &frmKonfig::buildPortList);

    // Read and write everything.
    m_mnuGetPara = addEntry(nullptr, QStringLiteral("mnuGetPara"), true);
    setEntryHandler(QStringLiteral("mnuGetPara"), [this] { readAll(); });
    m_mnuSave = addEntry(nullptr, QStringLiteral("mnuSave"), true);

    // Parameter
    m_mnuPara = addMenu(nullptr, QStringLiteral("mnuPara"));
    for (int i = 1; i <= 5; ++i)
        addEntry(m_mnuPara, indexed("mnuDevice", i), false);

    m_mnuZyklus = addEntry(nullptr, QStringLiteral("mnuZyklus"), true);

    m_mnuSammelFehl = addMenu(nullptr, QStringLiteral("mnuSammelFehl"));
    for (int i = 1; i <= 8; ++i)
        addEntry(m_mnuSammelFehl, indexed("mnuSFehl", i), false);

    m_mnuPSaetze = addMenu(nullptr, QStringLiteral("mnuPSätze"));
    for (int k = 0; k <= 4; ++k)
        addEntry(m_mnuPSaetze, indexed("mnuParaset", k), true);
    // Loading a stored set or the factory settings reads everything back afterwards; storing
    // needs the parameter-set-ID window.
    for (int k : {0, 1, 4})
        setEntryHandler(indexed("mnuParaset", k),
                        [this, k] { m_ws.transfers().ParameterSetMenu(k); });

    m_mnuHist = addMenu(nullptr, QStringLiteral("mnuHist"));
    addEntry(m_mnuHist, QStringLiteral("mnuHistory_1"), true);
    addEntry(m_mnuHist, QStringLiteral("mnuHistory_2"), true);

    m_mnuExtra = addEntry(nullptr, QStringLiteral("mnuExtra"), true);
    m_menusBuilt = true;
}

void frmKonfig::setEntryHandler(const QString& entry, std::function<void()> handler) {
    auto it = m_entries.find(entry);
    if (it == m_entries.end())
        return;
    it->handler = std::move(handler);
    it->available = bool(it->handler);
    updateEntryStates();
}

bool frmKonfig::entryAvailable(const QString& entry) const {
    return m_entries.value(entry).available;
}

void frmKonfig::addSecondaryWindow(QWidget* window) {
    if (window && !m_secondary.contains(window))
        m_secondary.append(window);
}

void frmKonfig::triggerEntry(const QString& name) {
    if (name == QLatin1String("mnuHistory_2")) {
        alarmHistory();
        return;
    }
    const Entry entry = m_entries.value(name);
    if (entry.handler) {
        entry.handler();
        return;
    }
    // Disabled entries cannot be triggered from the menu; a programmatic trigger still says so.
    m_interaction.inform(m_ws.identification.DeviceType, notAvailableText(m_ws.texts));
}

void frmKonfig::alarmHistory() {
    if (m_ws.identification.FirmwareVersion < 0x30) {
        m_interaction.ask(Interaction::Icon::None, Interaction::Buttons::Ok,
                          m_ws.identification.DeviceType, m_ws.texts.LoadText(485));
        return;
    }
    const Entry entry = m_entries.value(QStringLiteral("mnuHistory_2"));
    if (entry.handler)
        entry.handler();
    else
        m_interaction.inform(m_ws.identification.DeviceType, notAvailableText(m_ws.texts));
}

// Enabled = has a handler (or, for the alarm history, the firmware has none to show) and, for
// device operations, an open port. Visibility follows the firmware rules.
void frmKonfig::updateEntryStates() {
    if (!m_menusBuilt)
        return;
    const bool open = portOpen();
    const int attributes = truncatedInt(m_ws.image.value(31, 1));
    const MenuVisibility rules = menuVisibility(m_ws.identification.FirmwareVersion, attributes);
    const QString notYet = notAvailableText(m_ws.texts);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        Entry& e = it.value();
        bool available = e.available;
        if (it.key() == QLatin1String("mnuHistory_2") && !rules.alarmHistory)
            available = true; // says "No alarm history"
        e.action->setEnabled(available && (!e.needsPort || open));
        e.action->setToolTip(available ? QString() : notYet);
        e.action->setStatusTip(available ? QString() : notYet);
    }
    m_entries[QStringLiteral("mnuDevice_4")].action->setVisible(rules.parameterBlocks);
    m_entries[QStringLiteral("mnuDevice_5")].action->setVisible(rules.password);
    for (int i = 3; i <= 5; ++i)
        m_featureEntries[i]->setVisible(rules.featureB2);
    m_mnuPSaetze->menuAction()->setEnabled(open);
    m_mnuHist->menuAction()->setEnabled(open);
    m_cmdReadError->setEnabled(open);
    m_cmdClearErr->setEnabled(open);
}

void frmKonfig::refreshCaptions() {
    const Texts& t = m_ws.texts;
    const QString& type = m_ws.identification.DeviceType;
    m_mnuDatei->setTitle(t.LoadText(150));
    m_entries[QStringLiteral("mnuOeffnen")].action->setText(t.LoadText(151));
    m_entries[QStringLiteral("mnuSpeichern")].action->setText(t.LoadText(152));
    m_entries[QStringLiteral("mnuWLDauf")].action->setText(QStringLiteral("WLD  ") +
                                                           t.LoadText(151));
    m_entries[QStringLiteral("mnuWLDspei")].action->setText(QStringLiteral("WLD  ") +
                                                            t.LoadText(152));
    m_mnuEnd->setText(t.LoadText(153));
    m_mnuKonfig->setTitle(t.LoadText(154));
    m_mnuMerkmal->setTitle(t.LoadText(155));
    for (int i = 0; i < 6; ++i)
        m_featureEntries[i]->setText(QString::fromUtf8(kFeatureCaptions[i]));
    m_mnuSchnitt->setTitle(t.LoadText(159));
    m_mnuPort->setTitle(t.LoadText(160));
    m_mnuBaud->setTitle(t.LoadText(163));
    for (int k = 0; k < 4; ++k)
        m_baudEntries[k]->setText(t.LoadText(164 + k));
    m_mnuParity->setTitle(t.LoadText(168));
    for (int k = 0; k < 4; ++k)
        m_parityEntries[k]->setText(t.LoadText(169 + k));
    m_mnuGetPara->setText(readCaption(type));
    m_mnuSave->setText(writeCaption(type));
    m_mnuPara->setTitle(t.LoadText(175));
    m_entries[QStringLiteral("mnuDevice_1")].action->setText(t.LoadText(285));
    m_entries[QStringLiteral("mnuDevice_2")].action->setText(t.LoadText(286));
    m_entries[QStringLiteral("mnuDevice_3")].action->setText(QStringLiteral("Parameter  ID"));
    m_entries[QStringLiteral("mnuDevice_4")].action->setText(QStringLiteral("Parameter Blocks"));
    m_entries[QStringLiteral("mnuDevice_5")].action->setText(QStringLiteral("Passwort"));
    m_mnuZyklus->setText(t.LoadText(176));
    m_mnuSammelFehl->setTitle(t.LoadText(177));
    for (int i = 1; i <= 8; ++i)
        m_entries[indexed("mnuSFehl", i)].action->setText(t.LoadText(178) + QChar(u'A' + (i - 1)));
    m_mnuPSaetze->setTitle(t.LoadText(189));
    static const int paraset[] = {181, 182, 183, 184, 180};
    for (int k = 0; k <= 4; ++k)
        m_entries[indexed("mnuParaset", k)].action->setText(t.LoadText(paraset[k]));
    m_mnuHist->setTitle(t.LoadText(174));
    m_entries[QStringLiteral("mnuHistory_1")].action->setText(QStringLiteral("Logger"));
    m_entries[QStringLiteral("mnuHistory_2")].action->setText(t.LoadText(173));
    m_mnuExtra->setText(QStringLiteral("Extra"));

    m_label6->setText(type);
    m_lblAdr->setText(t.LoadText(213));
    m_lblDeviceAlarm->setText(t.LoadText(269));
    m_cmdReadError->setText(t.LoadText(212));
    m_cmdClearErr->setText(t.LoadText(211));
    m_ioPlaceholder->setText(t.LoadText(287) + QStringLiteral(" / I/O\n\n") + notAvailableText(t));
    for (int i = 0; i < m_cmdSprache.size(); ++i)
        m_cmdSprache[i]->setChecked(i == t.languageIndex());
    m_simulatorNotice->setText(simulatorNoticeText(t));
    m_simulatorNotice->setMinimumWidth(m_simulatorNotice->sizeHint().width());
    // The device error text is built from texts too.
    if (m_lblGerFehler->isVisible() || !m_lblGerFehler->text().isEmpty())
        showDeviceErrors();
    updateTitle();
    updateEntryStates();
}

void frmKonfig::updateTitle() {
    QString title = m_ws.identification.DeviceType + m_ws.texts.LoadText(210);
    const bool sim = simulatorInUse();
    if (sim)
        title += QStringLiteral("  –  ") + simulatorNoticeText(m_ws.texts) + QStringLiteral(" (") +
                 m_options.portOverride + u')';
    setWindowTitle(title);
    m_simulatorNotice->setVisible(sim);
}

void frmKonfig::setPanel(int panel, const QString& text) {
    if (panel >= 1 && panel <= m_panels.size())
        m_panels[panel - 1]->setText(text);
}

QString frmKonfig::statusPanelText(int panel) const {
    return panel >= 1 && panel <= m_panels.size() ? m_panels[panel - 1]->text() : QString();
}

// ---------------------------------------------------------------------------------------------
// Start-up

void frmKonfig::startUp() {
    // 1. Start-up values and the device picture.
    SetStartupValues(m_ws.identification, m_ws.memory);
    LoadDefaultRawBlock(m_ws.memory);
    m_ws.transfers().TransferRunning = false;
    m_image1->setPixmap(Pictures::devicePicture(QSize(190, 120)));
    // 2. Program version; progress bar and device error text hidden.
    setPanel(1, programVersionText(Q7400_VERSION_MAJOR, Q7400_VERSION_MINOR));
    m_progress->hide();
    m_lblGerFehler->hide();
    // 3. Channel digits are the labels' captions. Channel names for the monitoring.
    channelNames.load(channelNamesPath(m_settingsPath, m_ws.identification.DeviceType));
    // 4. Settings file: language, address, baud rate and parity.
    QString settingsError;
    m_ws.settings = loadPortSettings(m_settingsPath, &settingsError);
    m_ws.setLanguageOffset(m_ws.settings.LanguageOffset);
    m_ws.link().DeviceAddress = m_ws.settings.DeviceAddress;
    m_txtGAdress->setText(QString::number(m_ws.settings.DeviceAddress));
    // 5. Captions, parameter table names, feature code.
    refreshCaptions();
    m_ws.ShowFeatureCode();
    // 6./7. Default offline configuration.
    LoadDefaultConfiguration(m_ws.image, m_ws.identification);
    UpdateExternalCurrentInputs(m_ws.identification, m_ws.image);
    CopyParameterSetId(m_ws.identification, m_ws.image);
    setPanel(4, parameterSetIdPanelText(m_ws.identification.ParameterSetId));
    setPanel(5, m_ws.texts.LoadText(225));
    // 9. Check marks and the port.
    updateCheckMarks();
    if (!settingsError.isEmpty())
        m_interaction.inform(QStringLiteral("Error"), settingsError, Interaction::Icon::Critical);
    openPort();
    updateEntryStates();
}

void frmKonfig::updateCheckMarks() {
    const int baud = baudRates().indexOf(m_ws.settings.BaudRate());
    for (int k = 0; k < 4; ++k)
        m_baudEntries[k]->setChecked(k == baud);
    const int parity = parityCodes().indexOf(m_ws.settings.Parity());
    for (int k = 0; k < 4; ++k)
        m_parityEntries[k]->setChecked(k == parity);
}

// ---------------------------------------------------------------------------------------------
// Serial port

bool frmKonfig::portOpen() const {
    return m_port && m_port->isOpen();
}

void frmKonfig::replacePort(SerialPort* port) {
    m_ws.setPort(nullptr);
    if (m_port) {
        m_port->close();
        // It may be emitting right now (a receive event while an exchange waits).
        m_port.release()->deleteLater();
    }
    m_port.reset(port);
}

bool frmKonfig::openPort() {
    QString device = m_options.portOverride;
    if (device.isEmpty()) {
        const QString& configured = m_ws.settings.PortNumber;
        if (configured.startsWith(u'/')) {
            device = configured;
        } else {
            const QStringList devices = m_options.listDevices();
            const int number = configured.trimmed().toInt();
            if (number >= 1 && number <= devices.size())
                device = devices[number - 1];
        }
    }
    replacePort(m_options.makePort(device));
    m_portDevice = device;
    m_port->setSettings(m_ws.settings.SettingsText);
    m_ws.link().ExpectedLength = 1000;
    const bool opened = m_port->open();
    if (opened) {
        m_ws.setPort(m_port.get());
    } else {
        m_interaction.inform(QStringLiteral("Error"),
                             openFailureMessage(m_port->errorNumber(), m_port->errorText()),
                             Interaction::Icon::Critical);
    }
    PortUnavailable = !opened;
    updateEntryStates();
    updateTitle();
    return opened;
}

void frmKonfig::buildPortList() {
    // Rebuilt only when the menu opens, never from one of its own entries.
    qDeleteAll(m_portEntries);
    m_portEntries.clear();
    ActivePort = 0;

    const bool open = portOpen();
    const QString current = open ? m_portDevice : QString();
    auto add = [this](const QString& name, const QString& caption, bool checked, bool usable,
                      const QString& tip, const QString& choice) {
        QAction* a = m_mnuPort->addAction(caption);
        a->setObjectName(name);
        a->setCheckable(true);
        a->setChecked(checked);
        a->setEnabled(usable);
        a->setToolTip(tip);
        connect(a, &QAction::triggered, this, [this, choice] { choosePort(choice); });
        m_portEntries.append(a);
    };

    if (simulatorInUse())
        add(QStringLiteral("mnucomSim"), QStringLiteral("Simulator  ") + m_options.portOverride,
            open, true, simulatorNoticeText(m_ws.texts), QString());

    const QStringList devices = m_options.listDevices();
    for (int i = 1; i <= std::min<int>(16, devices.size()); ++i) {
        const QString& device = devices[i - 1];
        const QString caption = QStringLiteral("COM%1   %2").arg(i).arg(device);
        if (open && device == current) {
            // The open port stays open (an exchange may be waiting on it).
            ActivePort = i;
            add(indexed("mnucom", i), caption, true, true, QString(), QString::number(i));
            continue;
        }
        // Probe: a device that cannot be opened is listed disabled with the reason.
        std::unique_ptr<SerialPort> probe(m_options.makePort(device));
        probe->setSettings(m_ws.settings.SettingsText);
        const bool usable = probe->open();
        const QString why =
            usable ? QString() : openFailureMessage(probe->errorNumber(), probe->errorText());
        probe->close();
        add(indexed("mnucom", i), caption, false, usable, why, QString::number(i));
    }
    // A device path in the settings file is offered as it is.
    const QString& configured = m_ws.settings.PortNumber;
    if (configured.startsWith(u'/')) {
        const bool isCurrent = open && m_options.portOverride.isEmpty() && current == configured;
        add(QStringLiteral("mnucomPath"), configured, isCurrent, true, QString(), configured);
    }
    m_portPlaceholder->setVisible(m_portEntries.isEmpty());
}

void frmKonfig::choosePort(const QString& portNumberOrPath) {
    if (portNumberOrPath.isEmpty()) {
        // The simulator entry: reopen it.
        openPort();
        return;
    }
    m_options.portOverride.clear(); // a chosen port replaces the simulator for good
    m_ws.settings.PortNumber = portNumberOrPath;
    openPort();
    saveSettings();
}

void frmKonfig::chooseBaudRate(int entry) {
    if (entry < 1 || entry > 4)
        return;
    m_ws.settings.setBaudRate(baudRates().at(entry - 1));
    applyLineSettings();
}

void frmKonfig::chooseParity(int entry) {
    if (entry < 1 || entry > 4)
        return;
    m_ws.settings.setParity(parityCodes().at(entry - 1));
    applyLineSettings();
}

void frmKonfig::applyLineSettings() {
    updateCheckMarks();
    if (m_port && !m_port->setSettings(m_ws.settings.SettingsText) && m_port->isOpen())
        m_interaction.inform(QStringLiteral("Error"),
                             openFailureMessage(m_port->errorNumber(), m_port->errorText()),
                             Interaction::Icon::Critical);
    saveSettings();
}

void frmKonfig::saveSettings() {
    m_ws.settings.LanguageOffset = m_ws.texts.LanguageOffset;
    m_ws.settings.DeviceAddress = m_ws.link().DeviceAddress;
    QString error;
    if (!savePortSettings(m_settingsPath, m_ws.settings, &error))
        m_interaction.inform(QStringLiteral("Error"), error, Interaction::Icon::Critical);
}

void frmKonfig::setDeviceAddressText(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    const int address = ok && value >= 0 && value <= 255 ? value : 0;
    const QString shown = QString::number(address);
    if (m_txtGAdress->text() != shown)
        m_txtGAdress->setText(shown);
    if (address == m_ws.link().DeviceAddress && address == m_ws.settings.DeviceAddress)
        return;
    m_ws.link().DeviceAddress = address;
    saveSettings();
}

// ---------------------------------------------------------------------------------------------
// Language

void frmKonfig::setLanguage(int languageIndex) {
    if (languageIndex < 0 || languageIndex > 3)
        return;
    m_ws.setLanguageOffset(languageIndex * 1000);
    refreshCaptions();
    m_ws.ShowFeatureCode();
    // "No File" follows the language; a file name stays as it is.
    for (int offset = 0; offset <= 3000; offset += 1000)
        if (statusPanelText(5) == m_ws.texts.table().entry(225 + offset))
            setPanel(5, m_ws.texts.LoadText(225));
    Q_EMIT languageChanged();
    saveSettings();
}

// ---------------------------------------------------------------------------------------------
// Device errors, read all

void frmKonfig::readDeviceErrors() {
    m_ws.transfers().readDeviceErrors();
}

void frmKonfig::clearDeviceErrors() {
    Q_EMIT m_ws.transfers().channelErrorTableHideRequested();
    m_ws.services().PrepareLink();
    m_ws.services().SendCommand(0x21, QByteArray(21, '\0'));
    m_ws.transfers().readDeviceErrors();
}

void frmKonfig::showDeviceErrors() {
    const auto& words = m_ws.link().DeviceErrorWords;
    const QPixmap mark = Pictures::errorMark();
    for (int i = 0; i < 8; ++i) {
        if (words[size_t(i)] != 0) {
            m_imgError[i]->setPixmap(mark);
            m_imgError[i]->show();
        } else {
            m_imgError[i]->hide();
            m_imgError[i]->clear();
        }
    }
    const int deviceWord = words[8];
    if (deviceWord == 0) {
        m_lblGerFehler->hide();
        m_lblGerFehler->clear();
        m_imgError[8]->clear();
        m_imgError[8]->hide();
    } else {
        m_lblGerFehler->setText(deviceErrorText(m_ws.texts, deviceWord).trimmed());
        m_lblGerFehler->show();
        m_imgError[8]->setPixmap(mark);
        m_imgError[8]->show();
    }
}

void frmKonfig::readAll() {
    m_ws.transfers().ReadAll(true);
    refreshActivation();
}

// ---------------------------------------------------------------------------------------------
// Activation, shutdown

void frmKonfig::refreshActivation() {
    updateEntryStates();
    setPanel(4, parameterSetIdPanelText(m_ws.identification.ParameterSetId));
}

void frmKonfig::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || m_closing)
        return;
    refreshActivation();
    if (!WelcomeShown) {
        WelcomeShown = true;
        // After the activation has been handled, so the box does not nest inside it.
        QTimer::singleShot(0, this, [this] {
            m_interaction.ask(Interaction::Icon::Exclamation, Interaction::Buttons::Ok,
                              m_ws.texts.LoadText(546),
                              welcomeText(m_ws.texts, m_ws.identification.DeviceType));
        });
    }
}

void frmKonfig::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->accept();
        return;
    }
    const auto answer =
        m_interaction.ask(Interaction::Icon::Exclamation, Interaction::Buttons::OkCancel,
                          QStringLiteral("Konfiguration"), m_ws.texts.LoadText(451));
    if (answer != Interaction::Answer::Ok) {
        event->ignore();
        return;
    }
    m_closing = true;
    for (const QPointer<QWidget>& w : std::as_const(m_secondary))
        if (w)
            w->close();
    // Windows of the program that were opened without being registered go too.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isWindow() && w->isVisible() && w->parentWidget() == this)
            w->close();
    event->accept();
}
