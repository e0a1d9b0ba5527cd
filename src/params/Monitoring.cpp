#include "params/Monitoring.h"

#include "base/ColumnText.h"
#include "base/NumberText.h"
#include "device/DeviceData.h"
#include "device/Identification.h"
#include "link/Link.h"
#include "params/ChannelParameterForm.h"

#include <algorithm>

namespace {
// Measured values: negative only above 32768.
qint64 measured(int word) {
    word &= 0xFFFF;
    return word > 32768 ? word - 65536 : word;
}
} // namespace

QString actualValueText(int word, int decimals) {
    return fixedPointText(measured(word), decimals);
}

QString outputText(int byte) {
    byte &= 0xFF;
    return QString::number(byte > 128 ? byte - 256 : byte);
}

QString currentText(int word) {
    return fixedPointText(measured(word), 1);
}

QString messageInputsText(int byte) {
    QString text;
    for (int bit = 0; bit < 8; ++bit)
        text += (byte & (1 << bit)) ? QStringLiteral("1 ") : QStringLiteral("0 ");
    return text;
}

bool requestShortBlock(Link& link, ShortBlock block) {
    // Arrived means decoded: the link announces each block it decodes.
    bool arrived = false;
    const bool errors = block == ShortBlock::DeviceErrors;
    const QMetaObject::Connection decoded =
        errors ? QObject::connect(&link, &Link::deviceErrorsDecoded, [&arrived] { arrived = true; })
               : QObject::connect(&link, &Link::cyclicBlockDecoded, [&arrived] { arrived = true; });
    switch (block) {
    case ShortBlock::Cyclic:
        link.RequestCyclicBlock();
        break;
    case ShortBlock::ExtendedCyclic:
        link.RequestExtendedCyclicBlock();
        break;
    case ShortBlock::DeviceErrors:
        link.RequestDeviceErrors();
        break;
    }
    QObject::disconnect(decoded);
    if (!arrived)
        (errors ? link.ErrorPending : link.CyclicPending) = false;
    return arrived;
}

bool extendedLayout(const Identification& id) {
    return id.FirmwareVersion >= 0x32 && id.ExternalCurrentInputs;
}

bool messageInputsConfigured(const DeviceImage& image) {
    for (int k = 1; k <= 20; ++k) {
        const int b = int(roundHalfEven(image.value(MonitorRows::IoConfiguration, k)).value_or(0));
        if ((b & 0x8F) == 0x81 && (b & 0x70) != 0)
            return true;
    }
    return false;
}

QList<int> storeSetpointTexts(DeviceData& data, std::array<QString, 8>& texts) {
    QList<int> invalid;
    for (int k = 1; k <= 8; ++k)
        if (!strictNumber(texts[size_t(k - 1)]))
            invalid.append(k);
    if (!invalid.isEmpty())
        return invalid;
    // The editor's own rules: the channel's decimals, limits and min./max. setpoint.
    ChannelParameterForm editor(data);
    for (int k = 1; k <= 8; ++k) {
        editor.setChannel(k - 1);
        texts[size_t(k - 1)] = editor.editText(ChannelRows::Setpoint, texts[size_t(k - 1)]).shown;
    }
    return invalid;
}

QList<int> storeOutputTexts(DeviceData& data, std::array<QString, 8>& texts) {
    QList<int> invalid;
    std::array<qint64, 8> values{};
    for (int k = 1; k <= 8; ++k) {
        const std::optional<double> v = strictNumber(texts[size_t(k - 1)]);
        if (!v)
            invalid.append(k);
        else // whole percent; -0 is 0
            values[size_t(k - 1)] = roundHalfEven(std::clamp(*v, -100.0, 100.0)).value_or(0);
    }
    if (!invalid.isEmpty())
        return invalid;
    for (int k = 1; k <= 8; ++k) {
        const qint64 v = values[size_t(k - 1)];
        data.setValue(MonitorRows::Outputs, k, storedByte(double(v)).value_or(0));
        texts[size_t(k - 1)] = QString::number(v);
    }
    return invalid;
}

void updateSnapshotTexts(MonitorSnapshot& s, const ChannelFormats& formats) {
    for (int i = 0; i < 8; ++i) {
        const size_t n = size_t(i);
        if (s.setpoints)
            s.setpointTexts[n] = formats.text(i + 1, (*s.setpoints)[n]);
        if (s.cyclic) {
            s.actualTexts[n] = actualValueText(s.cyclic->actual[n], formats.decimalsOf(i + 1));
            s.outputTexts[n] = outputText(s.cyclic->output[n]);
            s.currentTexts[n] = currentText(s.cyclic->current[n]);
        }
    }
    if (s.cyclic)
        s.voltageText = currentText(s.cyclic->voltage);
    if (s.extendedCurrents)
        for (size_t i = 0; i < 16; ++i)
            s.currentTexts[8 + i] = currentText((*s.extendedCurrents)[i]);
    if (s.messageInputs)
        s.messageText = messageInputsText(*s.messageInputs);
}

QString monitorLogLine(const MonitorSnapshot& s, const QString& lineEnd) {
    ColumnText line;
    line.at(1, fixedPointText(qint64(s.elapsedSeconds * 100 + 0.5), 2));
    for (int i = 0; i < 8; ++i)
        line.at(11 + 8 * i, s.actualTexts[size_t(i)]);
    for (int i = 0; i < 8; ++i)
        line.at(75 + 6 * i, s.outputTexts[size_t(i)]);
    for (int i = 0; i < 8; ++i)
        line.at(123 + 8 * i, s.currentTexts[size_t(i)]);
    line.at(187, s.voltageText);
    if (s.extended)
        for (int i = 0; i < 16; ++i)
            line.at(195 + 8 * i, s.currentTexts[size_t(8 + i)]);
    return line.joined(lineEnd);
}
