#include "params/MonitorTexts.h"

#include "i18n/StringTable.h"

namespace {
struct Entry {
    const char* de;
    const char* en;
    const char* fr;
    const char* it;
};

const Entry kTexts[] = {
    // LogCannotBeCreated
    {"Die Aufzeichnungsdatei \"%1\" kann nicht angelegt werden: %2.\nDie zyklische Abfrage "
     "wurde nicht gestartet.",
     "The log file \"%1\" cannot be created: %2.\nMonitoring has not been started.",
     "Le fichier d'enregistrement \"%1\" ne peut pas être créé : %2.\nLa surveillance n'a pas "
     "été lancée.",
     "Il file di registrazione \"%1\" non può essere creato: %2.\nIl monitoraggio non è stato "
     "avviato."},
    // LogCannotBeWritten
    {"Die Aufzeichnungsdatei \"%1\" kann nicht weitergeschrieben werden: %2.\nDie Aufzeichnung "
     "endet hier, die zyklische Abfrage läuft weiter.",
     "The log file \"%1\" cannot be written any further: %2.\nRecording ends here; monitoring "
     "goes on.",
     "Le fichier d'enregistrement \"%1\" ne peut plus être écrit : %2.\nL'enregistrement "
     "s'arrête ici, la surveillance continue.",
     "Il file di registrazione \"%1\" non può più essere scritto: %2.\nLa registrazione termina "
     "qui, il monitoraggio continua."},
    // NotAPlainFile
    {"das ist keine gewöhnliche Datei", "it is not a plain file",
     "ce n'est pas un fichier ordinaire", "non è un file normale"},
    // NotANumber
    {"Kanal %1: keine Zahl.\nEs wurde nichts übertragen; bitte den rot markierten Wert "
     "korrigieren.",
     "Channel %1: not a number.\nNothing has been sent; please correct the value marked red.",
     "Canal %1 : ce n'est pas un nombre.\nRien n'a été transmis ; veuillez corriger la valeur "
     "marquée en rouge.",
     "Canale %1: non è un numero.\nNon è stato trasmesso nulla; correggere il valore segnato in "
     "rosso."},
    // Trend
    {"Verlauf", "Trend", "Courbe", "Andamento"},
    // Pause
    {"Anhalten", "Pause", "Pause", "Pausa"},
    // Resume
    {"Weiter", "Resume", "Reprendre", "Riprendi"},
    // SavePng
    {"Als PNG speichern", "Save as PNG", "Enregistrer en PNG", "Salva come PNG"},
    // SaveCsv
    {"Als CSV speichern", "Save as CSV", "Enregistrer en CSV", "Salva come CSV"},
    // Minutes
    {"%1 min", "%1 min", "%1 min", "%1 min"},
    // Time
    {"Zeit [s]", "Time [s]", "Temps [s]", "Tempo [s]"},
    // FileCannotBeSaved
    {"Die Datei \"%1\" kann nicht gespeichert werden: %2.", "The file \"%1\" cannot be saved: %2.",
     "Le fichier \"%1\" ne peut pas être enregistré : %2.",
     "Il file \"%1\" non può essere salvato: %2."},
};
} // namespace

QString monitorText(const Texts& texts, MonitorText text) {
    const Entry& e = kTexts[int(text)];
    const char* const byLanguage[] = {e.de, e.en, e.fr, e.it};
    return QString::fromUtf8(byLanguage[texts.languageIndex()]);
}
