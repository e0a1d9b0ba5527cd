#pragma once

#include "device/Form.h"

// The editable fields of the control-word window for one channel: the five words as decimal
// fields txtSteuer_0, _1, _2, _4, _6 and their check boxes and combo boxes, each a bit or a bit
// field of its word (ControlWords.h). A typed word is a whole number in its byte or word range;
// anything else is refused and the field shows the stored word again. Toggling a box or
// choosing a list entry replaces only that field's bits. The partner channel is offered for the
// controller sorts that have one, "Ratio contr." above firmware 0x48.
class ControlWordForm : public Form {
    Q_OBJECT
public:
    explicit ControlWordForm(DeviceData& data, QObject* parent = nullptr);

    // Index of the named field (for the window's own rules).
    int partnerField() const { return m_partner; }

    QStringList choices(int field) const override;
    bool isVisible(int field) const override;

protected:
    std::optional<double> parse(int field, const QString& text) const override;

private:
    int m_partner = -1;
};
