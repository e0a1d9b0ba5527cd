#pragma once

class QMenu;
class QMenuBar;

// Gives every entry of a menu a keyboard mnemonic (Alt+letter) of its own, chosen from the
// text it shows: the first letter of a word when it is still free, otherwise any free letter
// or digit. The captions stay as the string table has them; only the mark is added. Run after
// the captions change (the letters follow the language). The menu bar's own entries form one
// menu; each menu and submenu another.
void assignMnemonics(QMenuBar* bar);
void assignMnemonics(QMenu* menu);
