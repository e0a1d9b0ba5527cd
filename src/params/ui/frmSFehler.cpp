#include "params/ui/frmSFehler.h"

#include "app/Workspace.h"
#include "params/ui/Heading.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

frmSFehler::frmSFehler(Workspace& ws)
    : SecondaryWindow(ws, QStringLiteral("frmSFehler")), m_form(ws) {
    QHBoxLayout* head = windowHeading(this, QStringLiteral("lblRegler"),
                                      QStringLiteral("lblSFehlnr"), &m_lblSFehlnr);

    auto* maskLabel = new QLabel(this);
    maskLabel->setObjectName(QStringLiteral("lblSteuer"));
    auto* value = new QLineEdit(this);
    value->setObjectName(QStringLiteral("txtSFehler"));
    value->setAlignment(Qt::AlignRight);
    value->setFixedWidth(value->fontMetrics().horizontalAdvance(u'0') * 7 + 12);
    maskLabel->setBuddy(value);
    auto* maskRow = new QHBoxLayout;
    maskRow->addWidget(maskLabel);
    maskRow->addWidget(value);
    maskRow->addStretch(1);

    // Bits 0..7 in the left column, 8..15 in the right one.
    auto* boxes = new QGridLayout;
    for (int bit = 0; bit < CollectiveMasks::Bits; ++bit) {
        auto* box = new QCheckBox(this);
        box->setObjectName(indexedName(u"chkSammel", bit));
        boxes->addWidget(box, bit % 8, bit / 8);
    }

    auto* close = new QPushButton(this);
    close->setObjectName(QStringLiteral("cmdEnde"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addLayout(maskRow);
    layout->addLayout(boxes);
    layout->addStretch(1);
    layout->addLayout(buttons);

    setCaptions({{QStringLiteral("frmSFehler"), 280, ws.identification.DeviceType},
                 {QStringLiteral("lblRegler"), 388},
                 {QStringLiteral("lblSteuer"), 129},
                 {QStringLiteral("cmdEnde"), 302}});
    bind(m_form);
    openFor(1);
}

void frmSFehler::openFor(int argument) {
    if (argument >= 1 && argument <= CollectiveMasks::Count && argument != m_form.mask())
        m_form.setMask(argument);
    m_lblSFehlnr->setText(CollectiveMasks::letter(m_form.mask()));
}
