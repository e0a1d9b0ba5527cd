#include "app/QtTranslations.h"

#include "i18n/StringTable.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QtTranslations::QtTranslations() = default;

QtTranslations::~QtTranslations() {
    if (m_translator && QCoreApplication::instance())
        QCoreApplication::removeTranslator(m_translator.get());
}

bool QtTranslations::setLanguage(int languageIndex) {
    if (!QCoreApplication::instance())
        return false;
    if (m_translator) {
        QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }
    const QString code = StringTable::languageCode(languageIndex);
    if (code.isEmpty() || code == QLatin1String("en"))
        return true;
    auto translator = std::make_unique<QTranslator>();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_") + code, folder))
        return false;
    QCoreApplication::installTranslator(translator.get());
    m_translator = std::move(translator);
    return true;
}
