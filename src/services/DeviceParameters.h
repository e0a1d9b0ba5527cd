#pragma once

#include "device/Form.h"

class DeviceData;
class Texts;

// The parameters that belong to the whole controller rather than to one channel: the nominal
// heating currents of a second and third heating device per channel, the current transformer
// and heating voltage, the heating-current sampling time, the logger cycle and control, the
// power limitation, the heating-current threshold, and the four switches of the dimension
// byte. They live in the device image only and reach the controller with the next write.
//
// Each field is stored when it is left. A field left as it shows keeps its value exactly, so
// opening and closing the window changes nothing. Typed numbers above a field's limit become
// the limit and numbers at or below 0 become 0: the heating currents go up to the CT ratio / 40
// amperes, the tenths fields up to 3200.0, the threshold up to 100 %, and the power limitation
// goes in steps of 12.5 % (shown truncated: 60 becomes 62). The sampling time, the power
// limitation and the threshold show 0 as "Auto", "Off" and "Default"; any text that is not a
// number means that word. In the other fields such a text is refused. The logger control shows
// "1 = Stop" or "0 = Run"; a number sets its bit 0 from the number's bit 0 and keeps the others.
class DeviceParameterForm : public Form {
    Q_OBJECT
public:
    // Fields 0..22 are txtDevice_0..22: 0..7 and 8..15 the heating currents of the second and
    // third device of channels 1..8, 16 CT ratio, 17 secondary heating voltage, 18 sampling
    // time, 19 logger cycle, 20 logger control, 21 power limitation, 22 threshold. Then the
    // switches of the dimension byte.
    static constexpr int TextFields = 23;
    enum Switch { Unit = 23, MasterPdo, AmpsNotZero, NoFunctionStore };

    explicit DeviceParameterForm(DeviceData& data, QObject* parent = nullptr);

    // The unit text of field i ("A", "A / 1A", "V", "s", "%" or "").
    static QString unitText(int field);
    // The label of field i in the language in use ("Channel  1" for the heating currents).
    QString label(int field) const;
    // Captions of the labels that are not a field's own: "Channel  1".."Channel  8" beside the
    // heating currents, and the headings of their two columns.
    static CaptionTable labelCaptions();

Q_SIGNALS:
    // °C / °F was switched: temperature units shown elsewhere follow.
    void temperatureUnitChanged();
    // A switch was not set because the dimension byte would then hold all four, which the
    // controller takes as its factory-settings command.
    void dimensionRefused(int field);

protected:
    QString format(int field, double raw) const override;
    std::optional<double> parse(int field, const QString& text) const override;
    void afterEdit(int field) override;
};

// Why a dimension switch was not set, in the language of `texts`.
QString dimensionRefusedText(const Texts& texts);
