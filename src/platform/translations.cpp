#include "platform/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>

void Translations::use(const QLocale& locale) {
    m_installed.clear(); // a translator leaves the application as it goes
    install(QLocale(QLocale::English), QStringLiteral("kestrune"), folder());
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return;
    install(locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    install(locale, QStringLiteral("kestrune"), folder());
}

bool Translations::install(const QLocale& locale, const QString& name, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, name, QStringLiteral("_"), folder))
        return false;
    QCoreApplication::installTranslator(translator.get());
    m_installed.push_back(std::move(translator));
    return true;
}

QString Translations::folder() {
    return QDir::cleanPath(QDir(QCoreApplication::applicationDirPath())
                               .filePath(QStringLiteral(KESTRUNE_TRANSLATIONS_FROM_BINDIR)));
}
