#include "RecordSeeds.h"

QList<HistoryEntry> seedHistory() {
    const auto entry = [](int hour, int minute, int channel1, int device) {
        HistoryEntry e;
        e.time = {0, quint8(minute), quint8(hour), 1, 1, 24};
        e.words[0] = quint16(channel1);
        e.words[8] = quint16(device);
        return e;
    };
    return {entry(10, 0, 0x0008, 0), entry(10, 30, 0x0008, 0x1000), entry(11, 0, 0, 0)};
}

LoggerSample seedSample(int s) {
    LoggerSample sample;
    sample.time = {quint8(5 * s), 0, 0, 1, 1, 7};
    const int words[17] = {200 + s, -100, 215, 0, 0, 0, 0,       1000 - s, 50,
                           -20,     0,    0,   0, 0, 0, 100 - s, 230};
    for (int k = 0; k < 17; ++k)
        sample.words[size_t(k)] = quint16(words[k] & 0xFFFF);
    return sample;
}
