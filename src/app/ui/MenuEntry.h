#pragma once

#include <QString>

// The main window's menu entries that other parts of the program give a meaning to. Each is
// the QAction whose objectName is menuEntryName(entry); an indexed entry carries its index
// (mnuDevice_4 is entry 4 of the Parameter menu's mnuDevice entries). frmKonfig addresses them
// by this enum; a value without its action is a programming error the tests catch.
enum class MenuEntry {
    mnuOeffnen,
    mnuSpeichern,
    mnuWLDauf,
    mnuWLDspei,
    mnuEnd,
    mnuMerk_0,
    mnuMerk_1,
    mnuMerk_2,
    mnuMerk_3,
    mnuMerk_4,
    mnuMerk_5,
    mnuGetPara,
    mnuSave,
    mnuDevice_1,
    mnuDevice_2,
    mnuDevice_3,
    mnuDevice_4,
    mnuDevice_5,
    mnuZyklus,
    mnuSFehl_1,
    mnuSFehl_2,
    mnuSFehl_3,
    mnuSFehl_4,
    mnuSFehl_5,
    mnuSFehl_6,
    mnuSFehl_7,
    mnuSFehl_8,
    mnuParaset_0,
    mnuParaset_1,
    mnuParaset_2,
    mnuParaset_3,
    mnuParaset_4,
    mnuHistory_1,
    mnuHistory_2,
    mnuExtra,
    mnuScan,
    mnuCompareDevice,
    mnuCompareFile,
};
constexpr int MenuEntryCount = int(MenuEntry::mnuCompareFile) + 1;

// "mnuDevice_4".
QString menuEntryName(MenuEntry entry);
// Entry i of an indexed group: menuEntryAt(MenuEntry::mnuSFehl_1, 3) is mnuSFehl_4.
inline MenuEntry menuEntryAt(MenuEntry first, int offset) {
    return MenuEntry(int(first) + offset);
}
