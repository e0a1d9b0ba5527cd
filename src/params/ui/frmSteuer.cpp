#include "params/ui/frmSteuer.h"

#include "app/Workspace.h"
#include "app/ui/FormBinder.h"
#include "base/Interaction.h"
#include "device/DeviceServices.h"
#include "params/ControlWords.h"
#include "params/ui/Heading.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
QLabel* label(QWidget* parent, const QString& name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

QLineEdit* field(QWidget* parent, const QString& name, int width = 64) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setFixedWidth(width);
    e->setAlignment(Qt::AlignRight);
    return e;
}

QCheckBox* box(QWidget* parent, const QString& name) {
    auto* b = new QCheckBox(parent);
    b->setObjectName(name);
    return b;
}

QFrame* frame(QWidget* parent) {
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::StyledPanel);
    return f;
}

// A box that only shows a state: it takes neither clicks nor the focus, but stays readable.
void showOnly(QCheckBox* b) {
    b->setAttribute(Qt::WA_TransparentForMouseEvents);
    b->setFocusPolicy(Qt::NoFocus);
}

// Heading and decimal field of a word on one line.
QHBoxLayout* wordLine(QWidget* parent, int field) {
    auto* line = new QHBoxLayout;
    line->addWidget(label(parent, indexedName(u"lblSteuer", field)), 1);
    line->addWidget(::field(parent, indexedName(u"txtSteuer", field)));
    return line;
}
} // namespace

frmSteuer::frmSteuer(Workspace& ws)
    : SecondaryWindow(ws, QStringLiteral("frmSteuer")), m_form(ws), m_service(ws, ws.services()) {
    buildWidgets();
    setCaptions({
        {"frmSteuer", 300, ws.identification.DeviceType},
        {"lblSRegler", 303},
        {"lblSteuer_3", 290},
        {"lblSteuer_5", 354},
        {"holStatus", 312},
        {"cmdCopy", 301},
        {"cmdEnde", 302},
        {"lblStatus_0", 291},
        {"lblStatus_1", 292},
        {"lblStatus_2", 305},
        {"lblStatus_3", 315},
        {"lblStatus_4", 293},
        {"lblStatus_5", 294},
        {"lblStatus_6", 0, "Boost aktiv"},
        {"lblStatus_7", 0, "n.c."},
    });
    m_binder = bind(m_form);
    // The partner channel comes and goes with the controller sort.
    connect(&m_form, &Form::valuesChanged, this, [this](const QList<int>& fields) {
        if (fields.contains(m_form.partnerField()))
            m_binder->refresh();
    });
    connect(&ws, &DeviceData::deviceErrorsChanged, this, &frmSteuer::showAlarmStatus);
    connect(&ws, &DeviceData::identificationChanged, this, &frmSteuer::showFirmwareRules);
    connect(&ws, &Workspace::portStateChanged, this, &frmSteuer::showDeviceButtons);
    showFirmwareRules();
    showDeviceButtons();
}

void frmSteuer::buildWidgets() {
    auto* outer = new QVBoxLayout(this);

    outer->addLayout(windowHeading(this, QStringLiteral("lblSRegler"), QStringLiteral("lblSRegnr"),
                                   &m_lblSRegnr));

    auto* words = new QHBoxLayout;
    // Controller function.
    QFrame* function = frame(this);
    auto* fl = new QVBoxLayout(function);
    fl->addLayout(wordLine(function, 0));
    for (const ControlBox& b : controlBoxes(ControlWord::Function))
        fl->addWidget(box(function, b.objectName));
    m_functionBit3 = function->findChild<QCheckBox*>(QStringLiteral("chkRegFunc_3"));
    fl->addStretch(1);
    words->addWidget(function);

    // Controller configuration with the extended configuration beside it.
    QFrame* configuration = frame(this);
    auto* cl = new QVBoxLayout(configuration);
    QHBoxLayout* configLine = wordLine(configuration, 1);
    configLine->addWidget(field(configuration, QStringLiteral("txtSteuer_6")));
    cl->addLayout(configLine);
    auto* combos = new QGridLayout;
    int r = 0;
    for (const ControlCombo& c : configurationCombos()) {
        combos->addWidget(label(configuration, QLatin1String(c.labelName)), r, 0);
        auto* list = new QComboBox(configuration);
        list->setObjectName(QLatin1String(c.objectName));
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        combos->addWidget(list, r++, 1);
    }
    combos->setColumnStretch(1, 1);
    cl->addLayout(combos);
    auto* configBoxes = new QHBoxLayout;
    auto* own = new QVBoxLayout;
    for (const ControlBox& b : controlBoxes(ControlWord::Configuration))
        own->addWidget(box(configuration, b.objectName));
    own->addStretch(1);
    auto* extended = new QVBoxLayout;
    for (const ControlBox& b : controlBoxes(ControlWord::Extended))
        extended->addWidget(box(configuration, b.objectName));
    extended->addStretch(1);
    configBoxes->addLayout(own);
    configBoxes->addLayout(extended);
    cl->addLayout(configBoxes);
    words->addWidget(configuration, 1);

    // Limit function.
    QFrame* limit = frame(this);
    auto* ll = new QVBoxLayout(limit);
    ll->addLayout(wordLine(limit, 4));
    for (const ControlBox& b : controlBoxes(ControlWord::Limit))
        ll->addWidget(box(limit, b.objectName));
    ll->addStretch(1);
    words->addWidget(limit);
    outer->addLayout(words);

    auto* lower = new QHBoxLayout;
    // Alarm mask and alarm status side by side, one row per alarm bit.
    QFrame* alarms = frame(this);
    auto* al = new QGridLayout(alarms);
    al->setVerticalSpacing(1);
    al->addLayout(wordLine(alarms, 2), 0, 0, 1, 2);
    al->addLayout(wordLine(alarms, 5), 0, 2);
    m_alarmField = alarms->findChild<QLineEdit*>(QStringLiteral("txtSteuer_5"));
    m_alarmField->setReadOnly(true);
    const QList<ControlBox>& mask = controlBoxes(ControlWord::AlarmMask);
    for (int i = 0; i < mask.size(); ++i) {
        al->addWidget(label(alarms, indexedName(u"lblFehler", i)), i + 1, 0);
        al->addWidget(box(alarms, mask[i].objectName), i + 1, 1, Qt::AlignCenter);
        QCheckBox* status = box(alarms, alarmStatusBoxes()[i].objectName);
        showOnly(status);
        al->addWidget(status, i + 1, 2, Qt::AlignCenter);
        m_alarmStatus.append(status);
    }
    lower->addWidget(alarms, 1);

    // Controller status.
    QFrame* status = frame(this);
    auto* sl = new QGridLayout(status);
    sl->addWidget(label(status, QStringLiteral("lblSteuer_3")), 0, 0);
    m_statusField = field(status, QStringLiteral("txtSteuer_3"));
    m_statusField->setReadOnly(true);
    sl->addWidget(m_statusField, 0, 1);
    for (int i = 0; i < 8; ++i) {
        QLabel* l = label(status, indexedName(u"lblStatus", i));
        QLineEdit* e = field(status, indexedName(u"txtStatus", i));
        e->setReadOnly(true);
        sl->addWidget(l, i + 1, 0);
        sl->addWidget(e, i + 1, 1);
        m_statusLabels.append(l);
        m_status.append(e);
    }
    // The phase explains itself on a click (or Enter / F1 on its field).
    for (QWidget* w :
         {static_cast<QWidget*>(m_statusLabels[0]), static_cast<QWidget*>(m_status[0])}) {
        w->setCursor(Qt::WhatsThisCursor);
        w->installEventFilter(this);
    }
    sl->setRowStretch(9, 1);
    lower->addWidget(status);

    // Buttons.
    auto* buttons = new QVBoxLayout;
    m_cmdRegfunc = new QPushButton(this);
    m_cmdRegfunc->setObjectName(QStringLiteral("cmdRegfunc"));
    m_holStatus = new QPushButton(this);
    m_holStatus->setObjectName(QStringLiteral("holStatus"));
    auto* copy = new QHBoxLayout;
    auto* cmdCopy = new QPushButton(this);
    cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    m_txtCopyKan = field(this, QStringLiteral("txtCopyKan"), 40);
    copy->addWidget(cmdCopy);
    copy->addWidget(m_txtCopyKan);
    auto* cmdEnde = new QPushButton(this);
    cmdEnde->setObjectName(QStringLiteral("cmdEnde"));
    buttons->addWidget(m_cmdRegfunc);
    buttons->addWidget(m_holStatus);
    buttons->addLayout(copy);
    buttons->addStretch(1);
    buttons->addWidget(cmdEnde);
    lower->addLayout(buttons);
    outer->addLayout(lower, 1);

    connect(m_cmdRegfunc, &QPushButton::clicked, this, &frmSteuer::sendFunction);
    connect(m_holStatus, &QPushButton::clicked, this, &frmSteuer::readAgain);
    connect(cmdCopy, &QPushButton::clicked, this, &frmSteuer::copyWords);
    connect(m_txtCopyKan, &QLineEdit::textEdited, this, &frmSteuer::onCopyTargetEdited);
    connect(cmdEnde, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
}

void frmSteuer::openFor(int channel) {
    if (channel >= 0 && channel <= 7 && channel != m_form.channel()) {
        m_form.setChannel(channel);
        m_statusWord.reset();
    }
    retranslate();
}

void frmSteuer::retranslate() {
    SecondaryWindow::retranslate();
    const Workspace& ws = workspace();
    const Texts& t = ws.texts;
    const int k = m_form.channel() + 1;
    m_lblSRegnr->setText(QString::number(k));
    m_cmdRegfunc->setText(t.LoadText(350) + u'\n' + t.LoadText(254) + QString::number(k) +
                          QStringLiteral("\n=>  ") + ws.identification.DeviceType);
    showFirmwareRules();
    showStatus();
    showAlarmStatus();
}

void frmSteuer::showFirmwareRules() {
    const int firmware = workspace().identification.FirmwareVersion;
    m_functionBit3->setText(
        controlBoxText(controlBoxes(ControlWord::Function)[3], workspace().texts, firmware));
    const bool boost = boostStatusShown(firmware);
    m_statusLabels[6]->setVisible(boost);
    m_status[6]->setVisible(boost);
    for (int i = 0; i < m_alarmStatus.size(); ++i)
        m_alarmStatus[i]->setVisible(controlBoxShown(alarmStatusBoxes()[i], firmware));
}

void frmSteuer::showDeviceButtons() {
    // Device operations need a port.
    const bool ready = workspace().portReady();
    m_cmdRegfunc->setEnabled(ready);
    m_holStatus->setEnabled(ready);
}

void frmSteuer::showStatus() {
    const std::array<QString, 8> texts =
        controllerStatusTexts(m_statusWord.value_or(0), workspace().texts);
    m_statusField->setText(m_statusWord ? QString::number(*m_statusWord) : QString());
    for (int i = 0; i < 8; ++i)
        m_status[i]->setText(m_statusWord ? texts[size_t(i)] : QString());
}

void frmSteuer::showAlarmStatus() {
    const int word = workspace().deviceErrors.channel[size_t(m_form.channel())];
    m_alarmField->setText(QString::number(word));
    for (int i = 0; i < m_alarmStatus.size(); ++i)
        m_alarmStatus[i]->setChecked(word & (1 << alarmStatusBoxes()[i].bit));
}

void frmSteuer::activated() {
    retranslate();
    // The status is read whenever the user brings the window forward, unless another
    // operation runs or there is no port.
    if (!workspace().portReady())
        return;
    const OperationGate::Ticket ticket =
        workspace().gate().tryEnter(workspace().texts.LoadText(290));
    if (ticket)
        takeStatus(m_service.readStatus(m_form.channel() + 1));
}

void frmSteuer::takeStatus(const ChannelStatusService::Status& status) {
    // A status that did not arrive leaves the one shown.
    if (status.statusWord)
        m_statusWord = status.statusWord;
    showStatus();
}

OperationGate::Ticket frmSteuer::enterDevice(int caption) {
    // A device operation of a button: only with a port, one at a time.
    if (!workspace().portReady())
        return {};
    return workspace().gate().enter(workspace().texts.LoadText(caption));
}

void frmSteuer::readAgain() {
    if (const OperationGate::Ticket ticket = enterDevice(312))
        takeStatus(m_service.readAgain(m_form.channel() + 1).status);
}

void frmSteuer::sendFunction() {
    const OperationGate::Ticket ticket = enterDevice(350);
    if (!ticket)
        return;
    // What the function boxes show, bits 0..7.
    const int k = m_form.channel() + 1;
    const int value = ControlWords::stored(workspace().image, ControlWord::Function, k);
    takeStatus(m_service.sendFunction(k, value).readBack.status);
}

void frmSteuer::copyWords() {
    QPalette normal = m_txtCopyKan->palette();
    normal.setColor(QPalette::Text, palette().color(QPalette::WindowText));
    m_txtCopyKan->setPalette(normal);
    QString shown;
    const std::optional<int> target = copyTarget(m_txtCopyKan->text(), &shown);
    if (!target) {
        m_txtCopyKan->clear();
        return;
    }
    if (!shown.isEmpty())
        m_txtCopyKan->setText(shown);
    copyControlWords(workspace(), m_form.channel() + 1, *target);
}

void frmSteuer::onCopyTargetEdited(const QString& text) {
    QString shown;
    const std::optional<int> target = copyTarget(text, &shown);
    if (target && !shown.isEmpty()) {
        m_txtCopyKan->setText(shown);
        QPalette red = m_txtCopyKan->palette();
        red.setColor(QPalette::Text, QColor(255, 0, 0));
        m_txtCopyKan->setPalette(red);
    }
}

void frmSteuer::showPhaseHelp() {
    const Texts& t = workspace().texts;
    workspace().interaction().inform(t.LoadText(291), autoTuningPhaseHelp(t),
                                     Interaction::Icon::None);
}

bool frmSteuer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        showPhaseHelp();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F1) {
            showPhaseHelp();
            return true;
        }
    }
    return SecondaryWindow::eventFilter(watched, event);
}
