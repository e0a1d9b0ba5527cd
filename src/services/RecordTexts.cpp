#include "services/RecordTexts.h"

#include "i18n/StringTable.h"

QString recordText(RecordText text, const Texts& texts) {
    // de, en, fr, it
    static const char* const table[][4] = {
        {"Zeit", "Time", "Temps", "Tempo"},
        {"Istwert", "Actual value", "Valeur réelle", "Valore reale"},
        {"Stellgrad %", "Output %", "Sortie %", "Uscita %"},
        {"Alarme", "Alarms", "Alarmes", "Allarmi"},
        {"%1 von %2 Abtastungen in %3", "%1 of %2 samples in %3", "%1 sur %2 échantillons dans %3",
         "%1 di %2 campioni in %3"},
    };
    return QString::fromUtf8(table[int(text)][texts.languageIndex()]);
}
