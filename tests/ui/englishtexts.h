#pragma once

#include "platform/translations.h"

#include <QLocale>

// The window as an English user reads it: sizes formatted the US way, and
// the plural forms of "%n parts" from the English translation, without
// which one part would read "1 part(s)".
inline void useEnglishTexts() {
    static Translations translations;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    translations.use(QLocale(QLocale::English, QLocale::UnitedStates));
}
