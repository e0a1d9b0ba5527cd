#include "app/ui/frmScan.h"

#include "app/Workspace.h"
#include "device/DeviceServices.h"
#include "device/Identification.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {
using Words = const char* const[4];

QString tr4(const Texts& texts, Words& words) {
    return texts.inLanguage(words);
}

Words kAddresses = {"Adressen", "Addresses", "Adresses", "Indirizzi"};
Words kAllSettings = {"Alle Baudraten und Paritäten", "All baud rates and parities",
                      "Tous les débits et parités", "Tutte le velocità e parità"};
Words kStart = {"&Start", "&Start", "&Démarrer", "&Avvia"};
Words kCancel = {"Abbrechen", "Cancel", "Annuler", "Annulla"};
Words kUse = {"Diesen Regler &verwenden", "&Use this controller", "&Utiliser ce régulateur",
              "&Usa questo regolatore"};
Words kClose = {"Schließen", "Close", "Fermer", "Chiudi"};
Words kProbing = {"Adresse %1 bei %2", "Address %1 at %2", "Adresse %1 à %2", "Indirizzo %1 a %2"};
Words kFound = {"Gefundene Regler: %1", "Controllers found: %1", "Régulateurs trouvés : %1",
                "Regolatori trovati: %1"};
Words kStopped = {"Abgebrochen. Gefundene Regler: %1", "Cancelled. Controllers found: %1",
                  "Annulé. Régulateurs trouvés : %1", "Annullato. Regolatori trovati: %1"};
Words kAddress = {"Adresse", "Address", "Adresse", "Indirizzo"};
Words kLine = {"Leitung", "Line", "Ligne", "Linea"};
Words kFeature = {"Merkmal", "Feature code", "Code de caractéristique", "Codice caratteristica"};
} // namespace

frmScan::frmScan(Workspace& ws, QWidget* parent)
    : QDialog(parent), m_ws(ws), m_scan(ws.link(), ws.gate(), ws.texts) {
    setObjectName(QStringLiteral("frmScan"));
    auto* layout = new QVBoxLayout(this);

    auto* range = new QHBoxLayout;
    m_lblAddresses = new QLabel(this);
    m_lblAddresses->setObjectName(QStringLiteral("lblAddresses"));
    m_txtFrom = new QSpinBox(this);
    m_txtFrom->setObjectName(QStringLiteral("txtFrom"));
    m_txtTo = new QSpinBox(this);
    m_txtTo->setObjectName(QStringLiteral("txtTo"));
    for (QSpinBox* box : {m_txtFrom, m_txtTo})
        box->setRange(0, 255);
    m_txtTo->setValue(255);
    m_lblAddresses->setBuddy(m_txtFrom);
    range->addWidget(m_lblAddresses);
    range->addWidget(m_txtFrom);
    range->addWidget(new QLabel(QStringLiteral("–"), this));
    range->addWidget(m_txtTo);
    range->addSpacing(12);
    m_chkAllSettings = new QCheckBox(this);
    m_chkAllSettings->setObjectName(QStringLiteral("chkAllSettings"));
    range->addWidget(m_chkAllSettings);
    range->addStretch();
    layout->addLayout(range);

    m_prgScan = new QProgressBar(this);
    m_prgScan->setObjectName(QStringLiteral("prgScan"));
    m_prgScan->setValue(0);
    layout->addWidget(m_prgScan);
    m_lblScanState = new QLabel(this);
    m_lblScanState->setObjectName(QStringLiteral("lblScanState"));
    layout->addWidget(m_lblScanState);

    m_grdScan = new QTableView(this);
    m_grdScan->setObjectName(QStringLiteral("grdScan"));
    m_grdScan->setModel(&m_table);
    m_grdScan->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grdScan->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grdScan->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grdScan->verticalHeader()->hide();
    m_grdScan->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_grdScan->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_grdScan, 1);

    auto* buttons = new QHBoxLayout;
    m_cmdStart = new QPushButton(this);
    m_cmdStart->setObjectName(QStringLiteral("cmdStart"));
    m_cmdCancel = new QPushButton(this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdUse = new QPushButton(this);
    m_cmdUse->setObjectName(QStringLiteral("cmdUse"));
    m_cmdClose = new QPushButton(this);
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    buttons->addWidget(m_cmdStart);
    buttons->addWidget(m_cmdCancel);
    buttons->addStretch();
    buttons->addWidget(m_cmdUse);
    buttons->addWidget(m_cmdClose);
    layout->addLayout(buttons);
    for (QPushButton* b : {m_cmdStart, m_cmdCancel, m_cmdUse, m_cmdClose})
        b->setAutoDefault(false);
    // The layout keeps every caption whole in each language; the list shows a few lines at least.
    m_grdScan->setMinimumSize(420, 140);

    connect(m_cmdStart, &QPushButton::clicked, this, &frmScan::start);
    connect(m_cmdCancel, &QPushButton::clicked, &m_scan, &LineScan::cancel);
    connect(m_cmdClose, &QPushButton::clicked, this, &QDialog::close);
    connect(m_cmdUse, &QPushButton::clicked, this, [this] {
        const int row = m_grdScan->currentIndex().row();
        if (row >= 0 && row < m_scan.finds().size())
            Q_EMIT useController(m_scan.finds()[row]);
    });
    connect(m_grdScan->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmScan::updateButtons);
    connect(&m_scan, &LineScan::progress, this,
            [this](int done, int total, int address, const QString& settings) {
                m_prgScan->setMaximum(total);
                m_prgScan->setValue(done);
                m_lblScanState->setText(
                    tr4(m_ws.texts, kProbing).arg(address).arg(settings.section(u',', 0, 1)));
            });
    connect(&m_scan, &LineScan::found, this, &frmScan::showFound);
    connect(&m_ws, &DeviceData::languageChanged, this, &frmScan::retranslate);
    connect(&m_ws, &Workspace::portStateChanged, this, &frmScan::updateButtons);
    retranslate();
    updateButtons();
}

void frmScan::retranslate() {
    const Texts& t = m_ws.texts;
    setWindowTitle(lineScanName(t));
    m_lblAddresses->setText(tr4(t, kAddresses));
    m_chkAllSettings->setText(tr4(t, kAllSettings));
    m_cmdStart->setText(tr4(t, kStart));
    m_cmdCancel->setText(tr4(t, kCancel));
    m_cmdUse->setText(tr4(t, kUse));
    m_cmdClose->setText(tr4(t, kClose));
    const int row = m_grdScan->currentIndex().row();
    m_table.setHeader(
        {tr4(t, kAddress), tr4(t, kLine), QStringLiteral("Firmware"), tr4(t, kFeature)});
    if (row >= 0)
        m_grdScan->setCurrentIndex(m_table.index(row, 0));
    showState();
    updateButtons();
}

void frmScan::showState() {
    const int found = int(m_scan.finds().size());
    if (m_state == State::Cancelled)
        m_lblScanState->setText(tr4(m_ws.texts, kStopped).arg(found));
    else if (m_state == State::Done)
        m_lblScanState->setText(tr4(m_ws.texts, kFound).arg(found));
    else if (m_state == State::None)
        m_lblScanState->clear();
}

void frmScan::updateButtons() {
    const bool running = m_scan.running();
    m_cmdStart->setEnabled(!running && m_ws.portReady());
    m_cmdCancel->setEnabled(running);
    m_txtFrom->setEnabled(!running);
    m_txtTo->setEnabled(!running);
    m_chkAllSettings->setEnabled(!running);
    m_cmdUse->setEnabled(!running && m_grdScan->currentIndex().isValid());
}

void frmScan::showFound(const ScanFind& find) {
    QString feature = QStringLiteral("?");
    if (find.attributes >= 0) {
        Identification id;
        DecodeAttributes(id, find.attributes);
        feature = featureCodeShort(id);
    }
    m_table.appendRow({QString::number(find.address), find.lineText(),
                       firmwareText(find.firmware).section(u' ', -1), feature});
    if (!m_grdScan->currentIndex().isValid())
        m_grdScan->setCurrentIndex(m_table.index(0, 0));
}

void frmScan::start() {
    if (m_scan.running())
        return;
    m_table.setRows({});
    ScanRange range;
    range.firstAddress = std::min(m_txtFrom->value(), m_txtTo->value());
    range.lastAddress = std::max(m_txtFrom->value(), m_txtTo->value());
    range.allSettings = m_chkAllSettings->isChecked();
    m_prgScan->setValue(0);
    m_cmdCancel->setEnabled(true);
    m_cmdStart->setEnabled(false);
    // The scan enters the operation gate itself; running() turns true inside it.
    QMetaObject::invokeMethod(this, &frmScan::updateButtons, Qt::QueuedConnection);
    m_state = State::Running;
    const LineScan::Outcome outcome = m_scan.run(range, m_ws.settings.SettingsText);
    m_state = outcome == LineScan::Outcome::Cancelled ? State::Cancelled
              : outcome == LineScan::Outcome::Done    ? State::Done
                                                      : State::None;
    showState();
    updateButtons();
    if (!m_scan.finds().isEmpty())
        m_cmdUse->setFocus();
}

void frmScan::closeEvent(QCloseEvent* event) {
    // The scan ends at its next probe; the window stays intact until then.
    m_scan.cancel();
    QDialog::closeEvent(event);
}
