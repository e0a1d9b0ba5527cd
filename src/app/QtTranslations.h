#pragma once

#include <memory>

class QTranslator;

// Qt's own texts (standard buttons, file and print dialogs, context menus) in the program's
// language: Qt's catalogue for the language (qtbase_de.qm, qtbase_fr.qm, qtbase_it.qm from
// Qt's translations folder) is installed into the application and replaced when the language
// changes. English needs none.
class QtTranslations {
public:
    QtTranslations();
    ~QtTranslations();

    // Language 0..3 (de, en, fr, it). False when the catalogue is missing or there is no
    // application; Qt's texts are English then.
    bool setLanguage(int languageIndex);

private:
    std::unique_ptr<QTranslator> m_translator;
};
