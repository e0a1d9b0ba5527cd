#include "params/ControlWords.h"

#include "base/NumberText.h"
#include "device/DeviceData.h"
#include "i18n/StringTable.h"
#include "params/ChannelParameterForm.h"

#include <bit>
#include <cmath>

std::optional<qint64> wholeNumber(QStringView text) {
    const std::optional<double> v = strictNumber(text);
    // Beyond 2^53 a double no longer tells whole numbers apart; nothing of the controller is.
    if (!v || *v != std::floor(*v) || std::fabs(*v) > 9.0e15)
        return std::nullopt;
    return qint64(*v);
}

namespace ControlWords {

const std::array<ControlWord, Count>& all() {
    static const std::array<ControlWord, Count> words = {
        ControlWord::Function, ControlWord::Configuration, ControlWord::AlarmMask,
        ControlWord::Limit, ControlWord::Extended};
    return words;
}

namespace {
struct WordInfo {
    int row;
    int field;
    int maximum;
    const char* name;
};
// In the order of ControlWord.
constexpr WordInfo kWords[Count] = {{26, 0, 0xFF, "function"},
                                    {27, 1, 0xFFFF, "config"},
                                    {28, 2, 0xFFFF, "alarm"},
                                    {35, 4, 0xFF, "limit"},
                                    {52, 6, 0xFF, "ext"}};
} // namespace

int row(ControlWord word) {
    return kWords[int(word)].row;
}

int maximum(ControlWord word) {
    return kWords[int(word)].maximum;
}

int field(ControlWord word) {
    return kWords[int(word)].field;
}

QString name(ControlWord word) {
    return QLatin1String(kWords[int(word)].name);
}

std::optional<ControlWord> fromName(QStringView text) {
    for (ControlWord w : all())
        if (text == name(w))
            return w;
    return std::nullopt;
}

std::optional<int> parse(ControlWord word, QStringView text) {
    const std::optional<qint64> value = wholeNumber(text);
    if (!value || *value < 0 || *value > maximum(word))
        return std::nullopt;
    return int(*value);
}

int stored(const DeviceImage& image, ControlWord word, int channel) {
    const qint64 v = roundHalfEven(image.value(row(word), channel)).value_or(0);
    return v >= 0 && v <= maximum(word) ? int(v) : 0;
}

} // namespace ControlWords

int BitField::shift() const {
    return mask == 0 ? 0 : std::countr_zero(unsigned(mask));
}

namespace {
QList<ControlBox> boxes(const char* stem, ControlWord word, const QList<int>& bits,
                        const QList<int>& texts, const QList<int>& shownFrom) {
    QList<ControlBox> list;
    for (int i = 0; i < bits.size(); ++i)
        list.append({QLatin1String(stem) + u'_' + QString::number(i), word, bits[i], texts[i],
                     shownFrom.value(i)});
    return list;
}
} // namespace

const QList<ControlBox>& controlBoxes(ControlWord word) {
    static const QList<ControlBox> function =
        boxes("chkRegFunc", ControlWord::Function, {0, 1, 2, 3, 4, 5, 6, 7},
              {304, 305, 306, 311, 310, 0, 308, 309}, {0, 0, 0, 0, 0x11});
    static const QList<ControlBox> configuration =
        boxes("chkRegkonf", ControlWord::Configuration, {11, 12, 13, 14, 15},
              {315, 316, 317, 323, 318}, {});
    static const QList<ControlBox> alarm =
        boxes("chkAlarm", ControlWord::AlarmMask, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13},
              {334, 335, 336, 337, 338, 339, 340, 341, 342, 343, 344, 345, 346, 347},
              {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x41, 0x51});
    static const QList<ControlBox> limit =
        boxes("chkGrenzFunc", ControlWord::Limit, {0, 1, 2, 3, 4, 5, 6, 7},
              {325, 326, 327, 328, 329, 332, 330, 331}, {});
    static const QList<ControlBox> extended = boxes(
        "chkRegConf2", ControlWord::Extended, {0, 1, 2, 3, 4, 5, 6, 7},
        {390, 391, 392, 393, 394, 395, 396, 397}, {0x35, 0x35, 0x35, 0x36, 0x51, 0x48, 0x56, 0x58});
    switch (word) {
    case ControlWord::Function:
        return function;
    case ControlWord::Configuration:
        return configuration;
    case ControlWord::AlarmMask:
        return alarm;
    case ControlWord::Limit:
        return limit;
    case ControlWord::Extended:
        return extended;
    }
    return function;
}

const QList<ControlBox>& alarmStatusBoxes() {
    static const QList<ControlBox> status = [] {
        const QList<ControlBox>& mask = controlBoxes(ControlWord::AlarmMask);
        QList<int> bits, texts, from;
        for (const ControlBox& b : mask) {
            bits.append(b.bit);
            texts.append(b.text);
            from.append(b.shownFrom);
        }
        return boxes("chkFehler", ControlWord::AlarmMask, bits, texts, from);
    }();
    return status;
}

QString controlBoxText(const ControlBox& box, const Texts& texts, int firmware) {
    if (box.word == ControlWord::Function && box.bit == 3)
        return texts.LoadText(firmware >= 0x30 ? 311 : 307);
    return box.text ? texts.LoadText(box.text) : QString();
}

const std::array<ControlCombo, 4>& configurationCombos() {
    static const std::array<ControlCombo, 4> combos = {{
        {ConfigurationCombo::Type, "cboRegTyp", "lblRegTyp", 319, {0x0007}},
        {ConfigurationCombo::Sort, "cboRegArt", "lblRegArt", 320, {0x0038}},
        {ConfigurationCombo::Partner, "cboPartner", "lblPartner", 321, {0x01C0}},
        {ConfigurationCombo::Group, "cboGruppe", "lblRegGruppe", 322, {0x0600}},
    }};
    return combos;
}

QStringList comboEntries(ConfigurationCombo combo, const Texts& texts, int firmware) {
    QStringList entries;
    switch (combo) {
    case ConfigurationCombo::Type:
        for (int t = 355; t <= 361; ++t)
            entries << texts.LoadText(t);
        break;
    case ConfigurationCombo::Sort:
        for (int t : {362, 363, 364, 365, 367})
            entries << texts.LoadText(t);
        if (firmware > 0x48)
            entries << texts.LoadText(368);
        break;
    case ConfigurationCombo::Partner:
        for (int k = 1; k <= 8; ++k)
            entries << QString::number(k);
        break;
    case ConfigurationCombo::Group:
        entries << texts.LoadText(366) << QStringLiteral("1") << QStringLiteral("2")
                << QStringLiteral("3");
        break;
    }
    return entries;
}

int comboPosition(ConfigurationCombo combo, int configuration, int entryCount) {
    const int position = configurationCombos()[size_t(combo)].field.of(configuration);
    return position < entryCount ? position : -1;
}

ControllerStatus decodeControllerStatus(int word) {
    ControllerStatus s;
    s.phase = word & 0x0F;
    s.ramp = (word >> 4) & 3;
    s.softStart = (word >> 6) & 3;
    s.alignment = (word & 0x0300) != 0;
    s.boost = (word & 0x0400) != 0;
    s.bit11 = (word & 0x0800) != 0;
    s.mappingFinished = (word & 0x8000) != 0;
    s.mappingChannel = s.mappingFinished ? ((word >> 12) & 7) + 1 : 0;
    return s;
}

std::array<QString, 8> controllerStatusTexts(int word, const Texts& texts) {
    const ControllerStatus s = decodeControllerStatus(word);
    const QString yes = texts.LoadText(295);
    const QString no = texts.LoadText(296);
    const auto yesNo = [&](bool b) {
        return b ? yes : no;
    };
    return {
        s.phase == 0 ? no : QString::number(s.phase),
        s.ramp == 0   ? no
        : s.ramp == 1 ? texts.LoadText(297)
                      : texts.LoadText(298),
        s.softStart == 0   ? no
        : s.softStart == 1 ? yes
                           : texts.LoadText(299),
        yesNo(s.alignment),
        s.mappingChannel == 0 ? QStringLiteral("---") : QString::number(s.mappingChannel),
        yesNo(s.mappingFinished),
        yesNo(s.boost),
        yesNo(s.bit11),
    };
}

std::array<QString, 8> controllerStatusLabels(const Texts& texts) {
    return {texts.LoadText(291),           texts.LoadText(292),   texts.LoadText(305),
            texts.LoadText(315),           texts.LoadText(293),   texts.LoadText(294),
            QStringLiteral("Boost aktiv"), QStringLiteral("n.c.")};
}

QStringList alarmTexts(int word, const Texts& texts) {
    QStringList list;
    for (int bit = 0; bit < 16; ++bit)
        if (word & (1 << bit))
            list.append(texts.LoadText(334 + bit));
    return list;
}

QString autoTuningPhaseHelp(const Texts& texts) {
    static const char* const codes[] = {"   0        ", "   1        ", "   2        ",
                                        "   3        ", " 4...7    ",   "8...14   ",
                                        "  15       "};
    QString text;
    for (int i = 0; i < 7; ++i)
        text += QLatin1String(codes[i]) + texts.LoadText(550 + i) + u'\n';
    return text;
}

std::optional<int> copyTarget(QStringView text, QString* shown) {
    const std::optional<int> target = ChannelParameterForm::copyTarget(text.toString());
    if (target && shown && wholeNumber(text) > 8)
        *shown = QStringLiteral("8");
    return target;
}

QList<int> copyControlWords(DeviceData& data, int from, int target) {
    QList<int> changed;
    const int first = target == 0 ? 1 : target;
    const int last = target == 0 ? 8 : target;
    for (int k = first; k <= last; ++k) {
        if (k == from)
            continue;
        bool any = false;
        for (ControlWord w : ControlWords::all()) {
            const int r = ControlWords::row(w);
            any |= data.setCell(r, k, data.image.cell(r, from));
        }
        if (any)
            changed.append(k);
    }
    return changed;
}
