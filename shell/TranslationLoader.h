#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

class QTranslator;

/// The system locale's language: its name ("de_DE"), trimmed and cut before the first
/// character that is not an ASCII letter ("de"). The "C" and "POSIX" locales mean English.
QString systemLanguageCode();

/// The languages the program has texts for, in order; each is logged as it is found.
QStringList availableLanguages();

/// Where the translation files are looked for: "TransDir" of the settings, by default the
/// program's folder.
QString translationDirectory();

/// Installs Qt's and the program's translations for the user's language. The program's own
/// texts are English, so for English nothing is loaded. Owns every translator it installed
/// and removes them again when it goes.
class TranslationLoader {
public:
    TranslationLoader() = default;
    ~TranslationLoader();

    TranslationLoader(const TranslationLoader&) = delete;
    TranslationLoader& operator=(const TranslationLoader&) = delete;

    /// Picks the system language, or English when the program has no texts for it, and loads
    /// it. True when the program's texts are in that language.
    bool loadForSystemLocale();

    /// Loads "qt_<code>" and "all_<code>" from `translationDirectory`, logging each result.
    /// True when the program's own file loaded. A missing file leaves the texts as they were.
    bool loadLanguage(const QString& code);

private:
    static bool install(QMap<QString, QTranslator*>& installed, const QString& code,
                        const QString& fileName, const char* logText);

    QMap<QString, QTranslator*> qtTranslators_;
    QMap<QString, QTranslator*> ownTranslators_;
};
