#include "device/Form.h"

#include "base/NumberText.h"
#include "device/DeviceData.h"
#include "link/ValueCodec.h"

#include <bit>
#include <cmath>

namespace {
QString localText(const Texts& texts, const char* const (&text)[4]) {
    return QString::fromUtf8(text[texts.languageIndex()]);
}

const char* const kNotANumber[4] = {"Keine Zahl", "Not a number", "Pas un nombre",
                                    "Non è un numero"};
const char* const kOutside[4] = {"Erlaubt: %1 bis %2", "Allowed: %1 to %2", "Autorisé : %1 à %2",
                                 "Consentito: da %1 a %2"};
const char* const kReadOnly[4] = {"Nicht änderbar, solange „%1“ läuft",
                                  "Cannot be changed while \"%1\" runs",
                                  "Non modifiable pendant « %1 »", "Non modificabile durante «%1»"};
const char* const kDisplayOnly[4] = {"Nur Anzeige", "Display only", "Affichage seulement",
                                     "Solo visualizzazione"};
const char* const kNoChoice[4] = {"Kein Eintrag der Liste", "Not an entry of the list",
                                  "Pas une entrée de la liste", "Non è una voce dell'elenco"};

qint64 whole(double v) {
    return ValueCodec::roundHalfEven(v).value_or(0);
}

int shiftOf(quint32 mask) {
    return mask == 0 ? 0 : std::countr_zero(mask);
}
} // namespace

FieldRule firmwareAbove(int version) {
    return [version](const Identification& id, const DeviceImage&) {
        return id.FirmwareVersion > version;
    };
}

FieldRule firmwareAtLeast(int version) {
    return [version](const Identification& id, const DeviceImage&) {
        return id.FirmwareVersion >= version;
    };
}

FieldRule temperatureInputs() {
    return [](const Identification& id, const DeviceImage&) {
        return hasTemperatureInputs(id);
    };
}

FieldRule allOf(const FieldRule& a, const FieldRule& b) {
    return [a, b](const Identification& id, const DeviceImage& image) {
        return (!a || a(id, image)) && (!b || b(id, image));
    };
}

Form::Form(DeviceData& data, QList<Field> fields, QObject* parent)
    : QObject(parent), m_data(data), m_fields(std::move(fields)) {
    connect(&m_data, &DeviceData::elementChanged, this, [this](int row, int column) {
        const QList<int> affected = fieldsShowing(row, column);
        if (!affected.isEmpty())
            Q_EMIT valuesChanged(affected);
    });
    connect(&m_data, &DeviceData::imageReplaced, this, &Form::refreshed);
    connect(&m_data, &DeviceData::identificationChanged, this, &Form::refreshed);
    connect(&m_data, &DeviceData::languageChanged, this, &Form::refreshed);
    connect(&m_data.gate(), &OperationGate::changed, this, &Form::editableChanged);
}

int Form::indexOf(QStringView name) const {
    for (int i = 0; i < count(); ++i)
        if (m_fields[i].name == name)
            return i;
    return -1;
}

void Form::setChannel(int channel) {
    m_channel = qBound(0, channel, DeviceImage::Columns - 2);
    Q_EMIT refreshed();
}

int Form::columnOf(int field) const {
    const Field& f = m_fields.at(field);
    switch (f.columnRule) {
    case ColumnRule::Channel:
        return m_channel + 1;
    case ColumnRule::Device:
        return 1;
    case ColumnRule::Fixed:
        return f.column;
    }
    return 1;
}

double Form::raw(int field) const {
    return m_data.image.value(m_fields.at(field).row, columnOf(field));
}

int Form::word(int field) const {
    return int(whole(raw(field)) & 0xFFFFFFFF);
}

QString Form::text(int field) const {
    const Field& f = m_fields.at(field);
    if (f.display == DisplayKind::Text) {
        const QVariant& cell = m_data.image.cell(f.row, columnOf(field));
        return cell.typeId() == QMetaType::QString ? cell.toString()
                                                   : QString::number(NumericValue(cell));
    }
    return format(field, raw(field));
}

bool Form::checked(int field) const {
    return (word(field) & m_fields.at(field).mask) != 0;
}

int Form::position(int field) const {
    const quint32 mask = m_fields.at(field).mask;
    return int((quint32(word(field)) & mask) >> shiftOf(mask));
}

QStringList Form::choices(int field) const {
    QStringList list;
    for (const Caption& c : m_fields.at(field).choices)
        list.append(captionText(c, m_data.texts));
    return list;
}

bool Form::isVisible(int field) const {
    const FieldRule& rule = m_fields.at(field).shown;
    return !rule || rule(m_data.identification, m_data.image);
}

bool Form::isEditable(int field) const {
    return !m_fields.at(field).readOnly && !m_data.gate().imageLocked();
}

int Form::decimals(int) const {
    return 1;
}

QString Form::format(int field, double rawValue) const {
    const Field& f = m_fields.at(field);
    const qint64 r = whole(rawValue);
    const auto signedWord = [&f](qint64 w) {
        return f.isSigned && w > 32767 ? w - 65536 : w;
    };
    switch (f.display) {
    case DisplayKind::Scaled:
        return fixedPointText(signedWord(r), decimals(field));
    case DisplayKind::Tenths:
        return fixedPointText(signedWord(r), 1);
    case DisplayKind::Percent:
        return QString::number(r > 127 ? r - 256 : r);
    case DisplayKind::Word:
        return QString::number(r);
    case DisplayKind::Hex:
        return QString::number(r, 16).toUpper();
    case DisplayKind::Bit:
        return (quint64(r) & f.mask) ? QStringLiteral("1") : QStringLiteral("0");
    case DisplayKind::BitField:
        return QString::number((quint64(r) & f.mask) >> shiftOf(f.mask));
    case DisplayKind::Text:
        return QString::number(rawValue);
    }
    return {};
}

std::optional<double> Form::parse(int field, const QString& text) const {
    if (m_fields.at(field).display == DisplayKind::Hex) {
        bool ok = false;
        const qint64 v = text.trimmed().toLongLong(&ok, 16);
        return ok ? std::optional<double>(double(v)) : std::nullopt;
    }
    return strictNumber(text);
}

Form::Limits Form::limits(int field) const {
    return {m_fields.at(field).minimum, m_fields.at(field).maximum};
}

void Form::beforeEdit(int) {}

void Form::afterEdit(int) {}

QList<int> Form::fieldsShowing(int row, int column) const {
    QList<int> list;
    for (int i = 0; i < count(); ++i)
        if (m_fields[i].row == row && columnOf(i) == column)
            list.append(i);
    return list;
}

double Form::shownValue(int field) const {
    const std::optional<double> v = parse(field, text(field));
    return v.value_or(0.0);
}

double Form::rawOfShown(int field, double shown) const {
    const Field& f = m_fields.at(field);
    const auto twosComplement = [&f](qint64 units) {
        return double(f.isSigned && units < 0 ? units + 65536 : units);
    };
    switch (f.display) {
    case DisplayKind::Scaled:
        return twosComplement(whole(shown * std::pow(10.0, decimals(field))));
    case DisplayKind::Tenths:
        return twosComplement(whole(shown * 10.0));
    case DisplayKind::Percent: {
        const qint64 v = whole(shown);
        return double(v < 0 ? v + 256 : v);
    }
    default:
        return double(whole(shown));
    }
}

void Form::storeShown(int field, double shown) {
    storeRaw(field, rawOfShown(field, shown));
}

void Form::storeRaw(int field, double rawValue) {
    m_data.setCell(m_fields.at(field).row, columnOf(field), rawValue);
}

QStringList Form::snapshot() const {
    QStringList texts;
    texts.reserve(count());
    for (int i = 0; i < count(); ++i)
        texts.append(text(i));
    return texts;
}

Form::EditResult Form::refuse(int field, const QString& message) const {
    EditResult result;
    result.outcome = EditResult::Refused;
    result.shown = text(field);
    result.message = message;
    return result;
}

Form::EditResult Form::commit(int field, const QVariant& value, const QString& expected,
                              bool clamped) {
    beforeEdit(field);
    const QStringList before = snapshot();
    m_data.setCell(m_fields.at(field).row, columnOf(field), value);
    afterEdit(field);
    const QStringList after = snapshot();
    EditResult result;
    result.shown = after[field];
    for (int i = 0; i < count(); ++i)
        if (i != field && before[i] != after[i])
            result.changed.append(i);
    if (clamped || after[field] != expected)
        result.outcome = EditResult::Adjusted;
    else if (after[field] == before[field] && result.changed.isEmpty())
        result.outcome = EditResult::Unchanged;
    else
        result.outcome = EditResult::Stored;
    return result;
}

std::optional<Form::EditResult> Form::refuseLocked(int field) const {
    if (m_fields.at(field).readOnly)
        return refuse(field, localText(m_data.texts, kDisplayOnly));
    if (m_data.gate().imageLocked())
        return refuse(field, localText(m_data.texts, kReadOnly).arg(m_data.gate().running()));
    return std::nullopt;
}

Form::EditResult Form::editText(int field, const QString& entry) {
    const Field& f = m_fields.at(field);
    if (const std::optional<EditResult> locked = refuseLocked(field))
        return *locked;
    if (f.display == DisplayKind::Text)
        return commit(field, entry, entry, false);
    if (f.display == DisplayKind::Bit || f.display == DisplayKind::BitField) {
        const std::optional<double> v = strictNumber(entry);
        if (!v)
            return refuse(field, localText(m_data.texts, kNotANumber));
        return f.display == DisplayKind::Bit ? editChecked(field, *v != 0)
                                             : editPosition(field, int(whole(*v)));
    }
    const std::optional<double> parsed = parse(field, entry);
    if (!parsed)
        return refuse(field, localText(m_data.texts, kNotANumber));
    double value = *parsed;
    bool clamped = false;
    const Limits l = limits(field);
    if (l.minimum < l.maximum && (value < l.minimum || value > l.maximum)) {
        if (f.outOfRange == OutOfRange::Refuse)
            return refuse(field, localText(m_data.texts, kOutside)
                                     .arg(format(field, rawOfShown(field, l.minimum)),
                                          format(field, rawOfShown(field, l.maximum))));
        value = qBound(l.minimum, value, l.maximum);
        clamped = true;
    }
    const double stored = rawOfShown(field, value);
    return commit(field, stored, format(field, stored), clamped);
}

Form::EditResult Form::editChecked(int field, bool on) {
    const Field& f = m_fields.at(field);
    if (const std::optional<EditResult> locked = refuseLocked(field))
        return *locked;
    const int w = word(field);
    const double stored = double(on ? (w | int(f.mask)) : (w & ~int(f.mask)));
    return commit(field, stored, format(field, stored), false);
}

Form::EditResult Form::editPosition(int field, int pos) {
    const Field& f = m_fields.at(field);
    if (const std::optional<EditResult> locked = refuseLocked(field))
        return *locked;
    const int shift = shiftOf(f.mask);
    const qsizetype listed = choices(field).size();
    const bool inList = listed == 0 || pos < listed;
    if (pos < 0 || !inList || ((quint32(pos) << shift) & ~f.mask) != 0)
        return refuse(field, localText(m_data.texts, kNoChoice));
    const int w = word(field);
    const double stored = double((quint32(w) & ~f.mask) | (quint32(pos) << shift));
    return commit(field, stored, format(field, stored), false);
}
