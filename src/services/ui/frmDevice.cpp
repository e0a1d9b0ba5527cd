#include "services/ui/frmDevice.h"

#include "app/Workspace.h"
#include "app/ui/FormBinder.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QToolTip>
#include <QVBoxLayout>

#include <utility>

frmDevice::frmDevice(Workspace& ws) : SecondaryWindow(ws, QStringLiteral("frmDevice")), m_form(ws) {
    buildWidgets();
    CaptionTable captions = {
        {QStringLiteral("frmDevice"), 283, ws.identification.DeviceType},
        {QStringLiteral("lblDevPara"), 285},
        {QStringLiteral("Command1"), 242},
        {QStringLiteral("optDim_0"), 0, QStringLiteral("°C")},
        {QStringLiteral("optDim_1"), 0, QStringLiteral("°F")},
    };
    setCaptions(captions + DeviceParameterForm::labelCaptions());
    m_binder = bind(m_form);
    connect(&m_form, &Form::refreshed, this, &frmDevice::showFrames);
    showFrames();
    connect(&m_form, &DeviceParameterForm::temperatureUnitChanged, &ws,
            &Workspace::temperatureUnitChanged);
    // Said once the binder has shown the edit's outcome (it resets the tool tip).
    connect(&m_form, &DeviceParameterForm::dimensionRefused, this,
            [this](int field) { m_refused = field; });
    connect(m_binder, &FormBinder::edited, this, [this](int field) {
        if (field == std::exchange(m_refused, -1))
            explainRefusal(field);
    });
}

void frmDevice::buildWidgets() {
    auto* outer = new QVBoxLayout(this);
    auto* heading = new QLabel(this);
    heading->setObjectName(QStringLiteral("lblDevPara"));
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    heading->setFont(bold);
    outer->addWidget(heading);

    // One row of a field: label, field, unit.
    const auto addRow = [](QWidget* parent, QGridLayout* grid, int field, int row, int column) {
        auto* label = new QLabel(parent);
        label->setObjectName(indexedName(u"lblDevice", field));
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(indexedName(u"txtDevice", field));
        edit->setAlignment(Qt::AlignRight);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("Default")) +
                              16);
        edit->setMaximumWidth(110);
        label->setBuddy(edit);
        auto* unit = new QLabel(DeviceParameterForm::unitText(field), parent);
        unit->setObjectName(indexedName(u"lblAmps", field));
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
        grid->addWidget(unit, row, column + 2);
    };

    auto* fields = new QHBoxLayout;
    m_currents = new QWidget(this);
    m_currents->setObjectName(QStringLiteral("fraCurrents"));
    auto* currents = new QGridLayout(m_currents);
    currents->setContentsMargins(0, 0, 24, 0);
    for (int device = 0; device < 2; ++device) {
        auto* title = new QLabel(m_currents);
        title->setObjectName(indexedName(u"lblHUE", device));
        currents->addWidget(title, 0, 3 * device, 1, 3);
        for (int k = 0; k < 8; ++k)
            addRow(m_currents, currents, 8 * device + k, k + 1, 3 * device);
    }
    currents->setColumnMinimumWidth(2, 24);
    currents->setRowStretch(9, 1);
    fields->addWidget(m_currents);
    auto* device = new QGridLayout;
    for (int field = 16; field < DeviceParameterForm::TextFields; ++field)
        addRow(this, device, field, field - 16, 0);
    device->setRowStretch(DeviceParameterForm::TextFields - 16, 1);
    fields->addLayout(device);
    fields->addStretch(1);
    outer->addLayout(fields);

    auto* switches = new QHBoxLayout;
    m_unit = new QGroupBox(this);
    m_unit->setObjectName(QStringLiteral("fraDim"));
    auto* unitLayout = new QHBoxLayout(m_unit);
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(m_unit);
        option->setObjectName(indexedName(u"optDim", i));
        unitLayout->addWidget(option);
    }
    switches->addWidget(m_unit);
    for (const char* name : {"chkAutark", "chkAmp", "chkFuncStore"}) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QString::fromLatin1(name));
        switches->addWidget(box);
    }
    switches->addStretch(1);
    outer->addLayout(switches);

    outer->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    auto* close = new QPushButton(this);
    close->setObjectName(QStringLiteral("Command1"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &QWidget::close);
    bottom->addWidget(close);
    outer->addLayout(bottom);
}

void frmDevice::activated() {
    m_binder->refresh();
    showFrames();
}

void frmDevice::showFrames() {
    m_currents->setVisible(m_form.isVisible(0));
    m_unit->setVisible(m_form.isVisible(DeviceParameterForm::Unit));
}

void frmDevice::closeEvent(QCloseEvent* event) {
    // A field typed in but not left yet is stored as if it had been left.
    if (auto* edit = qobject_cast<QLineEdit*>(focusWidget()); edit && edit->isModified())
        Q_EMIT edit->editingFinished();
    SecondaryWindow::closeEvent(event);
}

void frmDevice::explainRefusal(int field) {
    QWidget* w = m_binder->widget(field);
    if (!w)
        return;
    const QString why = dimensionRefusedText(workspace().texts);
    w->setToolTip(why);
    if (w->isVisible())
        QToolTip::showText(w->mapToGlobal(QPoint(0, w->height())), why, w);
}
