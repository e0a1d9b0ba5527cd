#include "app/ui/frmKonfig.h"

#include "app/Compare.h"
#include "app/FrameTexts.h"
#include "app/Startup.h"
#include "app/Workspace.h"
#include "app/ui/FormBinder.h"
#include "app/ui/Mnemonics.h"
#include "app/ui/Pictures.h"
#include "app/ui/SecondaryWindow.h"
#include "app/ui/frmCompare.h"
#include "app/ui/frmScan.h"
#include "base/Interaction.h"
#include "config/ConfigurationFile.h"
#include "config/Terminals.h"
#include "config/ui/DipSwitches.h"
#include "config/ui/WiringPicture.h"
#include "device/DeviceServices.h"
#include "device/LineScan.h"
#include "device/Transfers.h"
#include "link/Link.h"
#include "link/QtSerialPort.h"
#include "params/Monitor.h"
#include "services/ParameterSetId.h"
#include "services/ui/frmWLD.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// The window's captions in the language in use (the title and the texts built from several
// parts follow in refreshCaptions()).
CaptionTable mainCaptions(const QString& deviceType) {
    CaptionTable table = {
        {"mnuDatei", 150},
        {"mnuOeffnen", 151},
        {"mnuSpeichern", 152},
        {"mnuWLDauf", 151, "WLD  "},
        {"mnuWLDspei", 152, "WLD  "},
        {"mnuEnd", 153},
        {"mnuKonfig", 154},
        {"mnuMerkmal", 155},
        {"mnuSchnitt", 159},
        {"mnuPort", 160},
        {"mnuBaud", 163},
        {"mnuParity", 168},
        {"mnuGetPara", 0, readCaption(deviceType)},
        {"mnuSave", 0, writeCaption(deviceType)},
        {"mnuPara", 175},
        {"mnuDevice_1", 285},
        {"mnuDevice_2", 286},
        {"mnuDevice_3", 0, "Parameter  ID"},
        {"mnuDevice_4", 0, "Parameter Blocks"},
        {"mnuDevice_5", 0, "Passwort"},
        {"mnuZyklus", 176},
        {"mnuSammelFehl", 177},
        {"mnuPSätze", 189},
        {"mnuParaset_0", 181},
        {"mnuParaset_1", 182},
        {"mnuParaset_2", 183},
        {"mnuParaset_3", 184},
        {"mnuParaset_4", 180},
        {"mnuHist", 174},
        {"mnuHistory_1", 0, "Logger"},
        {"mnuHistory_2", 173},
        {"mnuExtra", 0, "Extra"},
        {"Label6", 0, deviceType},
        {"lblAdr", 213},
        {"lblDeviceAlarm", 269},
        {"cmdReadError", 212},
        {"cmdClearErr", 211},
    };
    for (int k = 1; k <= 4; ++k) {
        table.append({indexedName(u"mnuBaudrate", k), 163 + k});
        table.append({indexedName(u"mnuPar", k), 168 + k});
    }
    for (int i = 1; i <= 8; ++i)
        table.append({indexedName(u"mnuSFehl", i), 178, {}, QString(QChar(u'A' + (i - 1)))});
    // The feature codes with their I/O equipment and input kind.
    for (int i = 0; i < FeatureCodeCount; ++i)
        table.append({indexedName(u"mnuMerk", i), 0, featureCodeCaption(i)});
    return table;
}

// Asks for room for all of its widget; it scrolls only when the screen is smaller.
class WholeWidgetScrollArea : public QScrollArea {
public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
};

} // namespace

frmKonfig::frmKonfig(Workspace& workspace, Interaction& interaction, FrameOptions options,
                     QWidget* parent)
    : QMainWindow(parent), m_ws(workspace), m_interaction(interaction),
      m_options(std::move(options)), m_windows(workspace) {
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
    m_onSimulator = simulatorRunning();

    m_windows.setMainWindow(this);
    registerWindows(m_windows);
    connect(&m_windows, &WindowManager::availabilityChanged, this, &frmKonfig::updateEntryStates);
    // While monitoring runs the main window takes no input (its own message boxes and the other
    // windows stay usable); bringing it forward ends the monitoring.
    connect(&m_ws.monitor(), &Monitor::runningChanged, this, [this](bool running) {
        menuBar()->setEnabled(!running);
        centralWidget()->setEnabled(!running);
    });
    connect(&m_windows, &WindowManager::mainWindowBroughtForward, &m_ws.monitor(), &Monitor::stop);

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
    connect(&m_ws.gate(), &OperationGate::changed, this, [this] {
        if (m_ws.gate().busy())
            setCursor(Qt::WaitCursor);
        else
            unsetCursor();
    });
    // "PC => Q7400" and "Write paraset" answered Yes: the ID is confirmed, then the write runs.
    connect(&transfers, &Transfers::writeConfirmationRequested, this,
            [this] { m_windows.open(WindowId::frmID, int(ParameterSetIdMode::WriteAll)); });
    connect(&transfers, &Transfers::derivedRefreshRequested, this, &frmKonfig::refreshActivation);
    connect(&transfers, &Transfers::channelErrorTableHideRequested, m_grid1, &QWidget::hide);
    const auto showParameterSetId = [this] {
        setPanel(4, parameterSetIdPanelText(m_ws.identification.ParameterSetId));
    };
    connect(&transfers, &Transfers::parameterSetIdChanged, this, showParameterSetId);
    connect(&m_ws, &Workspace::parameterSetIdChanged, this, showParameterSetId);
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
    connect(&m_ws, &Workspace::dataStateChanged, this, &frmKonfig::showDataState);
    // The port has closed itself (the Workspace disables the device operations): say why.
    connect(&m_ws.link(), &Link::portLost, this, [this](const QString& reason) {
        m_interaction.inform(QStringLiteral("Error"), reason, Interaction::Icon::Critical);
    });
    connect(&m_ws, &DeviceData::deviceErrorsChanged, this, &frmKonfig::showDeviceErrors);
    // The address, from the field or from elsewhere (the wiring picture's DIP switches), is shown
    // here and kept in the settings file.
    connect(&m_ws, &Workspace::deviceAddressChanged, this, [this](int address) {
        m_txtGAdress->setText(QString::number(address));
        m_dipSwitches->setAddress(address);
        saveSettings();
    });
    connect(&m_ws, &DeviceData::identificationChanged, this, &frmKonfig::updateEntryStates);
    connect(&m_ws, &DeviceData::languageChanged, this, [this] {
        refreshCaptions();
        m_ws.ShowFeatureCode();
        // "No File" follows the language; a file name stays as it is.
        for (int offset = 0; offset <= 3000; offset += 1000)
            if (statusPanelText(5) == m_ws.texts.table().entry(225 + offset))
                setPanel(5, m_ws.texts.LoadText(225));
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
    auto* label6 = new QLabel(central);
    label6->setObjectName(QStringLiteral("Label6"));
    QFont big = label6->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    label6->setFont(big);
    head->addWidget(label6);
    head->addStretch(1);
    // The address caption stands beside its field and keeps the width of its longest language.
    auto* lblAdr = new QLabel(central);
    lblAdr->setObjectName(QStringLiteral("lblAdr"));
    lblAdr->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_txtGAdress = new QLineEdit(central);
    m_txtGAdress->setObjectName(QStringLiteral("txtGAdress"));
    lblAdr->setBuddy(m_txtGAdress);
    // Digits only; a number above 255 is taken as 0 when the field is left.
    m_txtGAdress->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\d{0,3}")), m_txtGAdress));
    m_txtGAdress->setMaxLength(3);
    m_txtGAdress->setFixedWidth(60);
    connect(m_txtGAdress, &QLineEdit::editingFinished, this,
            [this] { setDeviceAddressText(m_txtGAdress->text()); });
    m_dipSwitches = new DipSwitches(central);
    // A switch moved: the address is kept in the settings file as a typed one is (otherwise it
    // would be back to the old one at the next start).
    connect(m_dipSwitches, &DipSwitches::addressClicked, &m_ws, &Workspace::setDeviceAddress);
    head->addWidget(lblAdr);
    head->addWidget(m_txtGAdress);
    head->addSpacing(8);
    head->addWidget(m_dipSwitches);
    head->addSpacing(16);
    static const char* const languageNames[] = {"Deutsch", "English", "Français", "Italiano"};
    for (int i = 0; i < 4; ++i) {
        auto* button = new QToolButton(central);
        button->setObjectName(indexedName(u"cmdSprache", i));
        button->setIcon(QIcon(Pictures::flag(i)));
        button->setIconSize(QSize(30, 20));
        button->setAutoRaise(true);
        button->setCheckable(true);
        button->setToolTip(QString::fromUtf8(languageNames[i]));
        connect(button, &QToolButton::clicked, this, [this, i] { setLanguage(i); });
        m_cmdSprache.append(button);
        head->addWidget(button);
    }
    outer->addLayout(head);

    // The wiring picture; on a small screen it scrolls.
    m_wiring = new WiringPicture(m_ws.configuration, m_ws);
    auto* scroll = new WholeWidgetScrollArea(central);
    scroll->setObjectName(QStringLiteral("scrIoArea"));
    scroll->setWidget(m_wiring);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::StyledPanel);
    outer->addWidget(scroll, 1);
    connect(&m_windows, &WindowManager::availabilityChanged, this,
            &frmKonfig::updateChannelWindows);
    updateChannelWindows();

    // Device error display: a mark under each channel digit, the device mark with its lines of
    // text, and the two buttons.
    auto* errors = new QFrame(central);
    errors->setFrameShape(QFrame::StyledPanel);
    errors->setObjectName(QStringLiteral("fraErrors"));
    auto* row = new QHBoxLayout(errors);
    auto* grid = new QGridLayout;
    const QPixmap mark = Pictures::errorMark();
    for (int i = 0; i <= 8; ++i) {
        auto* image = new QLabel(errors);
        image->setObjectName(indexedName(u"imgError", i));
        image->setFixedSize(mark.size());
        // Keeps its place while it is hidden, so the row does not move.
        QSizePolicy keep = image->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        image->setSizePolicy(keep);
        image->hide();
        if (i < 8) {
            // A click (or Space) on a channel's mark lists its errors.
            image->setCursor(Qt::PointingHandCursor);
            image->setFocusPolicy(Qt::StrongFocus);
            image->installEventFilter(this);
        }
        m_imgError.append(image);
        QLabel* caption = nullptr;
        if (i < 8) {
            caption = new QLabel(QString::number(i + 1), errors);
            caption->setObjectName(indexedName(u"lblChannelDigit", i));
        } else {
            caption = new QLabel(errors);
            caption->setObjectName(QStringLiteral("lblDeviceAlarm"));
            grid->setColumnMinimumWidth(8, 16);
        }
        caption->setAlignment(Qt::AlignCenter);
        const int column = i < 8 ? i : 9;
        grid->addWidget(caption, 0, column, Qt::AlignCenter);
        grid->addWidget(image, 1, column, Qt::AlignCenter);
    }
    grid->setRowStretch(2, 1);
    row->addLayout(grid);
    // Up to sixteen device error lines: four show at a time, the rest scroll, so the window does
    // not grow with them.
    auto* lines = new QScrollArea(errors);
    lines->setObjectName(QStringLiteral("scrGerFehler"));
    lines->setFrameShape(QFrame::NoFrame);
    lines->setWidgetResizable(true);
    lines->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lblGerFehler = new QLabel;
    m_lblGerFehler->setObjectName(QStringLiteral("lblGerFehler"));
    m_lblGerFehler->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_lblGerFehler->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lines->setWidget(m_lblGerFehler);
    lines->setMinimumWidth(220);
    lines->setFixedHeight(4 * m_lblGerFehler->fontMetrics().lineSpacing() + 4);
    row->addWidget(lines, 1);
    m_cmdReadError = new QPushButton(errors);
    m_cmdReadError->setObjectName(QStringLiteral("cmdReadError"));
    m_cmdClearErr = new QPushButton(errors);
    m_cmdClearErr->setObjectName(QStringLiteral("cmdClearErr"));
    connect(m_cmdReadError, &QPushButton::clicked, this, &frmKonfig::readDeviceErrors);
    connect(m_cmdClearErr, &QPushButton::clicked, this, &frmKonfig::clearDeviceErrors);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_cmdReadError);
    buttons->addWidget(m_cmdClearErr);
    buttons->addStretch(1);
    row->addLayout(buttons);
    outer->addWidget(errors);

    m_grid1 = new QTableWidget(this);
    m_grid1->setObjectName(QStringLiteral("Grid1"));
    m_grid1->setWindowFlags(Qt::Popup);
    m_grid1->setColumnCount(1);
    m_grid1->horizontalHeader()->hide();
    m_grid1->verticalHeader()->hide();
    m_grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid1->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid1->setShowGrid(false);
    m_grid1->installEventFilter(this);
    m_grid1->viewport()->installEventFilter(this);

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
        panel->setObjectName(indexedName(u"sbPanel", i + 1));
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
    const auto statusMark = [this](const char* name, const char* colour) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setStyleSheet(QStringLiteral("QLabel { background: %1; color: black; "
                                            "font-weight: bold; padding: 1px 6px; }")
                                 .arg(QLatin1String(colour)));
        statusBar()->addPermanentWidget(label);
        label->hide();
        return label;
    };
    m_staleMark = statusMark("lblStale", "#ffd24d");
    m_incompleteMark = statusMark("lblIncomplete", "#ff9c8a");

    // F10 opens the menu bar as Alt does.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this] {
        for (QAction* a : menuBar()->actions())
            if (a->isVisible() && a->isEnabled()) {
                menuBar()->setFocus(Qt::MenuBarFocusReason);
                menuBar()->setActiveAction(a);
                return;
            }
    });
    resize(1120, 660);
}

// The window opens large enough to show the whole wiring picture.
void frmKonfig::fitWiringPicture() {
    resize(sizeHint().expandedTo(QSize(1120, 660)));
}

void frmKonfig::updateChannelWindows() {
    // The parameter and control-word windows work on the channel of the block; the
    // collective-alarm window, which shares that channel, closes first.
    const std::pair<WiringPicture::ChannelWindow, WindowId> windows[] = {
        {WiringPicture::ChannelWindow::Parameters, WindowId::frmRegler},
        {WiringPicture::ChannelWindow::ControlWords, WindowId::frmSteuer}};
    for (const auto& [entry, id] : windows) {
        if (!m_windows.available(id)) {
            m_wiring->setChannelWindowHandler(entry, {});
            continue;
        }
        m_wiring->setChannelWindowHandler(entry, [this, id](int channel) {
            m_windows.close(WindowId::frmSFehler);
            m_windows.open(id, channel);
        });
    }
}

QMenu* frmKonfig::addMenu(QMenu* parent, const QString& name) {
    QMenu* menu = parent ? parent->addMenu(QString()) : menuBar()->addMenu(QString());
    menu->setObjectName(name);
    menu->setToolTipsVisible(true);
    return menu;
}

QAction* frmKonfig::addEntry(QMenu* menu, MenuEntry entry, bool needsPort,
                             std::optional<WindowId> window) {
    QAction* action = menu ? menu->addAction(QString()) : menuBar()->addAction(QString());
    action->setObjectName(menuEntryName(entry));
    Entry& e = m_entries[size_t(entry)];
    e.action = action;
    e.needsPort = needsPort;
    e.window = window;
    connect(action, &QAction::triggered, this, [this, entry] { triggerEntry(entry); });
    return action;
}

void frmKonfig::buildMenus() {
    using M = MenuEntry;
    // File
    QMenu* file = addMenu(nullptr, QStringLiteral("mnuDatei"));
    addEntry(file, M::mnuOeffnen, false);
    addEntry(file, M::mnuSpeichern, false);
    setEntryHandler(M::mnuOeffnen, [this] { m_ws.OpenConfigurationCommand(); });
    // Newer firmware confirms the parameter-set ID before saving.
    setEntryHandler(M::mnuSpeichern, [this] {
        if (m_ws.SaveNeedsParameterSetId())
            m_windows.open(WindowId::frmID, int(ParameterSetIdMode::SaveConfiguration));
        else
            m_ws.SaveConfigurationCommand();
    });
    addEntry(file, M::mnuWLDauf, false);
    addEntry(file, M::mnuWLDspei, false);
    setEntryHandler(M::mnuWLDauf, [this] { openWldCommand(m_ws, m_windows); });
    setEntryHandler(M::mnuWLDspei, [this] { saveWldCommand(m_ws, m_windows); });
    file->addSeparator();
    addEntry(file, M::mnuCompareDevice, true);
    addEntry(file, M::mnuCompareFile, false);
    setEntryHandler(M::mnuCompareDevice, [this] { compareWith(true); });
    setEntryHandler(M::mnuCompareFile, [this] { compareWith(false); });
    file->addSeparator();
    addEntry(file, M::mnuEnd, false);
    setEntryHandler(M::mnuEnd, [this] { close(); });

    // Options
    QMenu* options = addMenu(nullptr, QStringLiteral("mnuKonfig"));
    QMenu* feature = addMenu(options, QStringLiteral("mnuMerkmal"));
    for (int i = 0; i < 6; ++i) {
        QAction* a = addEntry(feature, menuEntryAt(M::mnuMerk_0, i), false);
        a->setCheckable(true);
        m_featureEntries.append(a);
        setEntryHandler(menuEntryAt(M::mnuMerk_0, i), [this, i] { chooseFeatureCode(i); });
    }

    // Interface
    QMenu* line = addMenu(nullptr, QStringLiteral("mnuSchnitt"));
    m_mnuPort = addMenu(line, QStringLiteral("mnuPort"));
    m_portPlaceholder = m_mnuPort->addAction(QStringLiteral("Com"));
    m_portPlaceholder->setObjectName(QStringLiteral("mnucom_0"));
    m_portPlaceholder->setEnabled(false);
    QMenu* baud = addMenu(line, QStringLiteral("mnuBaud"));
    for (int k = 1; k <= 4; ++k) {
        QAction* a = baud->addAction(QString());
        a->setObjectName(indexedName(u"mnuBaudrate", k));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, k] { chooseBaudRate(k); });
        m_baudEntries.append(a);
    }
    QMenu* parity = addMenu(line, QStringLiteral("mnuParity"));
    for (int k = 1; k <= 4; ++k) {
        QAction* a = parity->addAction(QString());
        a->setObjectName(indexedName(u"mnuPar", k));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, k] { chooseParity(k); });
        m_parityEntries.append(a);
    }
    connect(line, &QMenu::aboutToShow, this, &frmKonfig::buildPortList);
    line->addSeparator();
    addEntry(line, M::mnuScan, true);
    setEntryHandler(M::mnuScan, [this] { openScan(); });

    // Read and write everything.
    addEntry(nullptr, M::mnuGetPara, true);
    setEntryHandler(M::mnuGetPara, [this] { readAll(); });
    addEntry(nullptr, M::mnuSave, true);
    setEntryHandler(M::mnuSave, [this] { m_ws.transfers().RequestWriteAll(); });

    // Parameter
    QMenu* parameter = addMenu(nullptr, QStringLiteral("mnuPara"));
    addEntry(parameter, M::mnuDevice_1, false, WindowId::frmDevice);
    addEntry(parameter, M::mnuDevice_2, false, WindowId::frmPara);
    addEntry(parameter, M::mnuDevice_3, false, WindowId::frmID);
    addEntry(parameter, M::mnuDevice_4, false, WindowId::frmBlock);
    addEntry(parameter, M::mnuDevice_5, false, WindowId::frmPass);

    addEntry(nullptr, M::mnuZyklus, true, WindowId::frmZyklus);

    QMenu* masks = addMenu(nullptr, QStringLiteral("mnuSammelFehl"));
    for (int i = 0; i < 8; ++i)
        addEntry(masks, menuEntryAt(M::mnuSFehl_1, i), false, WindowId::frmSFehler);

    m_mnuPSaetze = addMenu(nullptr, QStringLiteral("mnuPSätze"));
    for (int k = 0; k <= 4; ++k)
        addEntry(m_mnuPSaetze, menuEntryAt(M::mnuParaset_0, k), true);
    // Loading a stored set or the factory settings reads everything back afterwards; storing
    // with Yes writes the image first, through the parameter-set-ID window.
    for (int k = 0; k <= 4; ++k)
        setEntryHandler(menuEntryAt(M::mnuParaset_0, k),
                        [this, k] { m_ws.transfers().ParameterSetMenu(k); });

    m_mnuHist = addMenu(nullptr, QStringLiteral("mnuHist"));
    addEntry(m_mnuHist, M::mnuHistory_1, true, WindowId::frmLogger);
    addEntry(m_mnuHist, M::mnuHistory_2, true, WindowId::frmHist);

    addEntry(nullptr, M::mnuExtra, true, WindowId::frmExtra);
    m_menusBuilt = true;
}

void frmKonfig::setEntryHandler(MenuEntry entry, std::function<void()> handler) {
    m_entries[size_t(entry)].handler = std::move(handler);
    updateEntryStates();
}

QAction* frmKonfig::entryAction(MenuEntry entry) const {
    return m_entries[size_t(entry)].action;
}

bool frmKonfig::entryAvailable(MenuEntry entry) const {
    const Entry& e = m_entries[size_t(entry)];
    return bool(e.handler) || (e.window && m_windows.available(*e.window));
}

void frmKonfig::triggerEntry(MenuEntry entry) {
    const Entry& e = m_entries[size_t(entry)];
    if (e.handler) {
        e.handler();
        return;
    }
    if (e.window && m_windows.available(*e.window)) {
        openEntryWindow(entry, *e.window);
        return;
    }
    // Disabled entries cannot be triggered from the menu; a programmatic trigger still says so.
    m_interaction.inform(m_ws.identification.DeviceType, notAvailableText(m_ws.texts));
}

// The check marks follow the feature code in use, also after a Cancel.
void frmKonfig::chooseFeatureCode(int entry) {
    if (m_ws.gate().imageLocked())
        m_interaction.inform(m_ws.identification.DeviceType,
                             m_ws.gate().refusalText(m_featureEntries[entry]->text()));
    else
        m_ws.configuration.SelectFeatureCode(entry, m_interaction);
    const int checked = featureMenuEntry(m_ws.identification);
    for (int i = 0; i < m_featureEntries.size(); ++i)
        m_featureEntries[i]->setChecked(i == checked);
}

void frmKonfig::openEntryWindow(MenuEntry entry, WindowId window) {
    using M = MenuEntry;
    int argument = -1;
    switch (entry) {
    case M::mnuDevice_3:
        argument = 0; // the parameter-set-ID window in its plain mode
        break;
    case M::mnuZyklus:
        Q_EMIT m_ws.transfers().channelErrorTableHideRequested();
        m_windows.close(WindowId::frmRegler);
        break;
    case M::mnuExtra:
        Q_EMIT m_ws.transfers().channelErrorTableHideRequested();
        break;
    case M::mnuHistory_2:
        if (!menuVisibility(m_ws.identification.FirmwareVersion, 0).alarmHistory) {
            m_interaction.ask(Interaction::Icon::None, Interaction::Buttons::Ok,
                              m_ws.identification.DeviceType, m_ws.texts.LoadText(485));
            return;
        }
        break;
    default:
        if (int(entry) >= int(M::mnuSFehl_1) && int(entry) <= int(M::mnuSFehl_8)) {
            // The collective-alarm window works on mask 1..8.
            m_windows.close(WindowId::frmRegler);
            m_windows.close(WindowId::frmSteuer);
            argument = int(entry) - int(M::mnuSFehl_1) + 1;
        }
        break;
    }
    if (!m_windows.open(window, argument))
        m_interaction.inform(m_ws.identification.DeviceType, notAvailableText(m_ws.texts));
}

// Enabled = available and, for device operations, an open port. Visibility follows the
// firmware rules.
void frmKonfig::updateEntryStates() {
    if (!m_menusBuilt)
        return;
    const bool open = portOpen();
    const int attributes = truncatedInt(m_ws.image.value(31, 1));
    const MenuVisibility rules = menuVisibility(m_ws.identification.FirmwareVersion, attributes);
    const QString notYet = notAvailableText(m_ws.texts);
    for (int i = 0; i < MenuEntryCount; ++i) {
        const Entry& e = m_entries[size_t(i)];
        const bool available = entryAvailable(MenuEntry(i));
        e.action->setEnabled(available && (!e.needsPort || open));
        e.action->setToolTip(available ? QString() : notYet);
        e.action->setStatusTip(available ? QString() : notYet);
    }
    entryAction(MenuEntry::mnuDevice_4)->setVisible(rules.parameterBlocks);
    entryAction(MenuEntry::mnuDevice_5)->setVisible(rules.password);
    for (int i = 3; i <= 5; ++i)
        m_featureEntries[i]->setVisible(rules.featureB2);
    m_mnuPSaetze->menuAction()->setEnabled(open);
    m_mnuHist->menuAction()->setEnabled(open);
    m_cmdReadError->setEnabled(open);
    m_cmdClearErr->setEnabled(open);
}

void frmKonfig::refreshCaptions() {
    const Texts& t = m_ws.texts;
    applyCaptions(this, mainCaptions(m_ws.identification.DeviceType), t);
    entryAction(MenuEntry::mnuScan)->setText(lineScanName(t) + QStringLiteral("..."));
    entryAction(MenuEntry::mnuCompareDevice)->setText(compareWithControllerCaption(t));
    entryAction(MenuEntry::mnuCompareFile)
        ->setText(compareWithFileCaption(t) + QStringLiteral("..."));
    m_wiring->retranslate();
    setTextKeepingWidth(m_simulatorNotice, simulatorNoticeText, t);
    for (int i = 0; i < m_cmdSprache.size(); ++i)
        m_cmdSprache[i]->setChecked(i == t.languageIndex());
    assignMnemonics(menuBar());
    // The device error text is built from texts too.
    showDeviceErrors();
    showDataState();
    updateTitle();
    updateEntryStates();
}

void frmKonfig::showDataState() {
    const Texts& t = m_ws.texts;
    const bool identification = m_ws.identificationStale();
    const bool errors = m_ws.errorsStale();
    const ControllerKey previous = identification ? m_ws.identificationSource : m_ws.errorsSource;
    const QString why = identification || errors ? staleDataText(t, previous.text()) : QString();
    for (int panel : {3, 4}) {
        m_panels[panel - 1]->setEnabled(!identification); // greyed
        m_panels[panel - 1]->setToolTip(identification ? why : QString());
    }
    for (QLabel* label : m_imgError)
        label->setEnabled(!errors);
    m_lblGerFehler->setEnabled(!errors);
    m_lblGerFehler->setToolTip(errors ? why : QString());
    setTextKeepingWidth(m_staleMark, staleDataMark, t);
    m_staleMark->setToolTip(why);
    m_staleMark->setVisible(identification || errors);
    setTextKeepingWidth(m_incompleteMark, incompleteReadMark, t);
    m_incompleteMark->setToolTip(incompleteReadText(m_ws.record, t));
    m_incompleteMark->setVisible(m_ws.record.imageIncomplete());
}

void frmKonfig::updateTitle() {
    QString title = m_ws.identification.DeviceType + m_ws.texts.LoadText(210);
    if (m_onSimulator)
        title += QStringLiteral("  –  ") + simulatorNoticeText(m_ws.texts) + QStringLiteral(" (") +
                 m_options.portOverride + u')';
    setWindowTitle(title);
    m_simulatorNotice->setVisible(m_onSimulator);
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
    // The program's start without a window (values, settings, language, default configuration),
    // then what this window shows of it, then the port.
    const QString settingsError = StartUp(m_ws, m_settingsPath);
    m_txtGAdress->setText(QString::number(m_ws.settings.DeviceAddress));
    m_dipSwitches->setAddress(m_ws.settings.DeviceAddress);
    m_image1->setPixmap(Pictures::devicePicture(QSize(190, 120)));
    setPanel(1, programVersionText(Q7400_VERSION_MAJOR, Q7400_VERSION_MINOR));
    m_progress->hide();
    refreshCaptions();
    m_ws.ShowFeatureCode();
    setPanel(4, parameterSetIdPanelText(m_ws.identification.ParameterSetId));
    setPanel(5, m_ws.texts.LoadText(225));
    updateCheckMarks();
    if (!settingsError.isEmpty())
        m_interaction.inform(QStringLiteral("Error"), settingsError, Interaction::Icon::Critical);
    openPort();
    updateEntryStates();
    fitWiringPicture();
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

bool frmKonfig::simulatorRunning() const {
    return m_options.simulator && !m_options.portOverride.isEmpty();
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
    const QString device =
        m_onSimulator || (!m_options.simulator && !m_options.portOverride.isEmpty())
            ? m_options.portOverride
            : resolvePortDevice(m_ws.settings.PortNumber, m_options.listDevices());
    replacePort(m_options.makePort(device));
    m_portDevice = device;
    const bool opened = m_ws.openPort(m_port.get());
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

    // The simulator of this run stays listed while it runs, also after another port was chosen.
    if (simulatorRunning())
        add(QStringLiteral("mnucomSim"), QStringLiteral("Simulator  ") + m_options.portOverride,
            open && m_onSimulator, true, simulatorNoticeText(m_ws.texts), QString());

    const QStringList devices = m_options.listDevices();
    for (int i = 1; i <= std::min<int>(16, devices.size()); ++i) {
        const QString& device = devices[i - 1];
        const QString caption = QStringLiteral("COM%1   %2").arg(i).arg(device);
        if (open && device == current) {
            // The open port stays open (an exchange may be waiting on it).
            ActivePort = i;
            add(indexedName(u"mnucom", i), caption, true, true, QString(), QString::number(i));
            continue;
        }
        // Probe: a device that cannot be opened is listed disabled with the reason.
        std::unique_ptr<SerialPort> probe(m_options.makePort(device));
        probe->setSettings(m_ws.settings.SettingsText);
        const bool usable = probe->open();
        const QString why =
            usable ? QString() : openFailureMessage(probe->errorNumber(), probe->errorText());
        probe->close();
        add(indexedName(u"mnucom", i), caption, false, usable, why, QString::number(i));
    }
    // A device path in the settings file is offered as it is.
    const QString& configured = m_ws.settings.PortNumber;
    if (configured.startsWith(u'/')) {
        const bool isCurrent = open && !m_onSimulator && current == configured;
        add(QStringLiteral("mnucomPath"), configured, isCurrent, true, QString(), configured);
    }
    m_portPlaceholder->setVisible(m_portEntries.isEmpty());
    assignMnemonics(m_mnuPort);
}

void frmKonfig::choosePort(const QString& portNumberOrPath) {
    if (portNumberOrPath.isEmpty()) {
        // The simulator entry: back to the simulator; the settings file keeps its port.
        m_onSimulator = simulatorRunning();
        openPort();
        return;
    }
    m_onSimulator = false;
    m_options.simulator = simulatorRunning(); // a plain override is replaced for good
    if (!m_options.simulator)
        m_options.portOverride.clear();
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

void frmKonfig::openScan() {
    if (!m_frmScan) {
        m_frmScan = new frmScan(m_ws, this);
        connect(m_frmScan, &frmScan::useController, this, [this](const ScanFind& find) {
            SerialLineSettings line;
            if (!parseSettingsText(find.settingsText, &line))
                return;
            m_ws.settings.setBaudRate(QString::number(line.baud));
            m_ws.settings.setParity(QString(QChar::fromLatin1(line.parity)));
            applyLineSettings();
            setDeviceAddressText(QString::number(find.address));
            m_frmScan->close();
        });
    }
    m_frmScan->show();
    m_frmScan->raise();
    m_frmScan->activateWindow();
}

void frmKonfig::compareWith(bool controller) {
    std::optional<ImageComparison> comparison;
    const auto title = controller ? compareWithControllerCaption : compareWithFileCaption;
    if (controller) {
        comparison = compareWithController(m_ws);
    } else {
        const QString path =
            m_interaction.openFileName(title(m_ws.texts), ConfigurationFile::filter());
        if (path.isEmpty())
            return;
        comparison = compareWithFile(m_ws, path);
    }
    if (!comparison)
        return;
    if (!m_frmCompare)
        m_frmCompare = new frmCompare(m_ws, this);
    m_frmCompare->showComparison(title, *comparison);
    m_frmCompare->show();
    m_frmCompare->raise();
    m_frmCompare->activateWindow();
}

void frmKonfig::saveSettings() {
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
    m_ws.setDeviceAddress(address);
}

// ---------------------------------------------------------------------------------------------
// Language

void frmKonfig::setLanguage(int languageIndex) {
    if (languageIndex < 0 || languageIndex > 3)
        return;
    // The windows, this one included, follow the workspace's languageChanged().
    m_ws.setLanguageOffset(languageIndex * 1000);
    saveSettings();
}

// ---------------------------------------------------------------------------------------------
// Device errors, read all

void frmKonfig::readDeviceErrors() {
    m_ws.transfers().readDeviceErrors();
}

void frmKonfig::clearDeviceErrors() {
    m_ws.transfers().clearDeviceErrors();
}

void frmKonfig::showDeviceErrors() {
    const DeviceErrors& errors = m_ws.deviceErrors;
    const QPixmap mark = Pictures::errorMark();
    for (int i = 0; i < 8; ++i) {
        if (errors.channel[size_t(i)] != 0) {
            m_imgError[i]->setPixmap(mark);
            m_imgError[i]->show();
        } else {
            m_imgError[i]->hide();
            m_imgError[i]->clear();
        }
    }
    if (errors.device == 0) {
        m_lblGerFehler->hide();
        m_lblGerFehler->clear();
        m_imgError[8]->clear();
        m_imgError[8]->hide();
    } else {
        m_lblGerFehler->setText(deviceErrorText(m_ws.texts, errors.device).trimmed());
        m_lblGerFehler->show();
        m_imgError[8]->setPixmap(mark);
        m_imgError[8]->show();
    }
}

void frmKonfig::showChannelErrors(int channel) {
    if (channel < 0 || channel >= 8)
        return;
    const QStringList lines =
        channelErrorLines(m_ws.texts, channel + 1, m_ws.deviceErrors.channel[size_t(channel)]);
    m_grid1->clearContents();
    m_grid1->setRowCount(int(lines.size()));
    for (int r = 0; r < lines.size(); ++r) {
        auto* item = new QTableWidgetItem(lines[r]);
        if (r == 0) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        m_grid1->setItem(r, 0, item);
    }
    m_grid1->resizeColumnsToContents();
    m_grid1->resizeRowsToContents();
    const int width = m_grid1->columnWidth(0) + 2 * m_grid1->frameWidth() + 4;
    int height = 2 * m_grid1->frameWidth();
    for (int r = 0; r < m_grid1->rowCount(); ++r)
        height += m_grid1->rowHeight(r);
    m_grid1->resize(width, height);
    QWidget* mark = m_imgError[channel];
    m_grid1->move(mark->mapToGlobal(QPoint(mark->width() + 4, 0)));
    m_grid1->show();
    m_grid1->setFocus();
}

bool frmKonfig::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == m_grid1 || (m_grid1 && watched == m_grid1->viewport())) {
        if (type == QEvent::MouseButtonPress || type == QEvent::KeyPress) {
            m_grid1->hide();
            return true;
        }
        return false;
    }
    const int channel = m_imgError.indexOf(static_cast<QLabel*>(watched));
    if (channel >= 0 && channel < 8) {
        const bool key =
            type == QEvent::KeyPress && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space ||
                                         static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return);
        if (type == QEvent::MouseButtonRelease || key) {
            showChannelErrors(channel);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmKonfig::readAll() {
    m_ws.transfers().ReadAll(true);
    refreshActivation();
}

// ---------------------------------------------------------------------------------------------
// Activation, shutdown

void frmKonfig::refreshActivation() {
    updateEntryStates();
    m_wiring->refreshChannelOverview();
    setPanel(4, parameterSetIdPanelText(m_ws.identification.ParameterSetId));
}

bool frmKonfig::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::LayoutRequest) {
        // The main window's layout leaves the status bar's width out of its minimum: keep the
        // window wide enough for the panels and the simulator mark too.
        const QSize layout = minimumSizeHint();
        const QSize needed(std::max(layout.width(), statusBar()->minimumSizeHint().width()),
                           layout.height());
        if (minimumSize() != needed)
            setMinimumSize(needed);
    }
    return handled;
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
    // A window that still waits for its operation closes when that has ended.
    m_windows.closeAll();
    if (m_frmScan)
        m_frmScan->close(); // a running scan stops at its next probe
    event->accept();
}
