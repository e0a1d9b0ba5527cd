#pragma once

#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/OperationGate.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"

#include <QObject>
#include <QVariant>

#include <array>

class Interaction;

// The controller's error words as the error block reports them: one alarm word per channel
// (bits as the control-word window's alarm status) and the device error bits.
struct DeviceErrors {
    std::array<int, 8> channel{}; // channel 1..8 at index 0..7
    int device = 0;               // bit b set: device error text 370 + b
    bool any() const;
    bool operator==(const DeviceErrors&) const = default;
};

// The device data every window and command shows and edits, with the announcements that keep
// open windows in step: the texts in the language in use, the parameter table, the device
// image, the memory image, the identification, the controller's errors and the operation gate.
// Workspace is one (it adds the link, the services and the transfers); core forms and services
// of the config, params and services layers take a DeviceData&.
//
// Edits go through setCell(), which announces the element; whatever replaces more than single
// elements (a read, a file, a memory-image take-over) announces the whole image. Windows redraw
// from these signals, never from each other:
//
//   connect(&ws, &DeviceData::elementChanged, this, [this](int row, int column) { ... });
//   connect(&ws, &DeviceData::imageReplaced, this, &frmPara::refill);
class DeviceData : public QObject {
    Q_OBJECT
public:
    explicit DeviceData(Interaction& interaction, QObject* parent = nullptr);

    Texts texts;
    ParameterTable table;
    DeviceImage image;
    MemoryImage memory;
    Identification identification;
    DeviceErrors deviceErrors;

    OperationGate& gate() { return m_gate; }
    const OperationGate& gate() const { return m_gate; }

    // Stores one cell and announces it (elementChanged) when its value changed. Numbers compare
    // by value, so 5 and 5.0 are the same. True when it changed.
    bool setCell(int row, int column, const QVariant& value);
    bool setValue(int row, int column, double value) { return setCell(row, column, value); }

    // Switches the language: texts, parameter-table names and input names; languageChanged().
    void setLanguageOffset(int offset);

    // For changes made without setCell: the image as a whole (a read, a loaded file), the
    // identification (firmware, attributes), the error words.
    void announceImageReplaced() { Q_EMIT imageReplaced(); }
    void announceIdentificationChanged() { Q_EMIT identificationChanged(); }
    void setDeviceErrors(const DeviceErrors& errors);

Q_SIGNALS:
    // One element of the image, set through setCell.
    void elementChanged(int row, int column);
    // Any part of the image may have changed.
    void imageReplaced();
    // FirmwareVersion, ModuleVariant, FeatureA or another identification value changed: what is
    // shown or offered by firmware and attributes is decided again.
    void identificationChanged();
    // The controller's error words were read again (even when they are the same).
    void deviceErrorsChanged();
    // Every text is in another language now.
    void languageChanged();

private:
    OperationGate m_gate;
};

// The error words of the error block as the link decodes them (element 8 = device bits).
DeviceErrors deviceErrorsOfWords(const std::array<int, 13>& words);
