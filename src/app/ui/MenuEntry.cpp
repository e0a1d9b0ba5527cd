#include "app/ui/MenuEntry.h"

QString menuEntryName(MenuEntry entry) {
    static const char* const names[MenuEntryCount] = {
        "mnuOeffnen",   "mnuSpeichern",     "mnuWLDauf",     "mnuWLDspei",   "mnuEnd",
        "mnuMerk_0",    "mnuMerk_1",        "mnuMerk_2",     "mnuMerk_3",    "mnuMerk_4",
        "mnuMerk_5",    "mnuGetPara",       "mnuSave",       "mnuDevice_1",  "mnuDevice_2",
        "mnuDevice_3",  "mnuDevice_4",      "mnuDevice_5",   "mnuZyklus",    "mnuSFehl_1",
        "mnuSFehl_2",   "mnuSFehl_3",       "mnuSFehl_4",    "mnuSFehl_5",   "mnuSFehl_6",
        "mnuSFehl_7",   "mnuSFehl_8",       "mnuParaset_0",  "mnuParaset_1", "mnuParaset_2",
        "mnuParaset_3", "mnuParaset_4",     "mnuHistory_1",  "mnuHistory_2", "mnuExtra",
        "mnuScan",      "mnuCompareDevice", "mnuCompareFile"};
    const int i = int(entry);
    return i >= 0 && i < MenuEntryCount ? QString::fromLatin1(names[i]) : QString();
}
