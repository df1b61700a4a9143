#pragma once

#include <QLocale>
#include <QString>
#include <QTranslator>

#include <memory>
#include <vector>

// The program's texts in the user's language: Qt's own (dialog buttons and
// the like) and Kestrune's, from where the build or the package put them.
// English plural forms always sit beneath, so "%n parts" reads "1 part"
// wherever no other language is found.
class Translations {
public:
    // Replaces the texts installed before with those for `locale`; a
    // language without a translation keeps the English ones.
    void use(const QLocale& locale);

    // The folder of Kestrune's .qm files: beside the program in the build
    // tree's layout, as in the installed one.
    static QString folder();

private:
    bool install(const QLocale& locale, const QString& name, const QString& folder);

    std::vector<std::unique_ptr<QTranslator>> m_installed;
};
