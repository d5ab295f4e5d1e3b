#include "shell/TranslationLoader.h"

#include "common/LogStream.h"
#include "common/ShellUtilities.h"

#include <QCoreApplication>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

namespace {

const char* const supportedLanguages = "de en es fr it ja";
// The languages translated texts exist for; a language must be in both lists to be offered.
const char* const translatedLanguages = "de en es fr it ja";

const QString english = QStringLiteral("en");

bool isAsciiLetter(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

void removeAll(QMap<QString, QTranslator*>& installed) {
    for (QTranslator* translator : qAsConst(installed)) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    installed.clear();
}

}  // namespace

QString systemLanguageCode() {
    const QString name = QLocale::system().name().trimmed();
    int end = 0;
    while (end < name.size() && isAsciiLetter(name.at(end)))
        ++end;
    const QString code = name.left(end);
    if (code == QLatin1String("C") || code == QLatin1String("POSIX"))
        return english;
    return code;
}

QStringList availableLanguages() {
    const QStringList translated =
        QString::fromLatin1(translatedLanguages).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList available;
    for (const QString& code :
         QString::fromLatin1(supportedLanguages).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!translated.contains(code))
            continue;
        beginLogLine() << "An available language: [" << code << "]";
        endLogLine();
        available << code;
    }
    return available;
}

QString translationDirectory() {
    return QSettings().value(QStringLiteral("TransDir"), absoluteAppPath(QStringLiteral(".")))
        .toString();
}

TranslationLoader::~TranslationLoader() {
    removeAll(qtTranslators_);
    removeAll(ownTranslators_);
}

bool TranslationLoader::loadForSystemLocale() {
    const QString code = systemLanguageCode();
    beginLogLine() << "Your active language is [" << code << "]";
    endLogLine();
    const QStringList available = availableLanguages();

    QString chosen;
    if (available.contains(code)) {
        chosen = code;
        beginLogLine() << "Loading that language's translation, if any";
        endLogLine();
    } else {
        chosen = available.contains(english) || available.isEmpty() ? english : available.first();
        beginLogLine() << "No translation available for that language, using [" << chosen
                       << "] instead, sorry.";
        endLogLine();
    }
    if (chosen == english)
        return true;   // the program's own texts are English
    return loadLanguage(chosen);
}

bool TranslationLoader::loadLanguage(const QString& code) {
    install(qtTranslators_, code, QStringLiteral("qt_") + code, "Loading Qt translation file");
    return install(ownTranslators_, code, QStringLiteral("all_") + code,
                   "Loading our translation file");
}

bool TranslationLoader::install(QMap<QString, QTranslator*>& installed, const QString& code,
                                const QString& fileName, const char* logText) {
    const QString folder = translationDirectory();
    auto* translator = new QTranslator;
    // installTranslator needs the Qt application; without one nothing can be shown anyway.
    const bool ok = translator->load(fileName, folder) && QCoreApplication::instance() &&
                    QCoreApplication::installTranslator(translator);
    if (ok) {
        // Loaded twice: the newer file replaces the older one instead of stacking on it.
        if (QTranslator* previous = installed.take(code)) {
            QCoreApplication::removeTranslator(previous);
            delete previous;
        }
        installed.insert(code, translator);
    } else {
        delete translator;
    }
    beginLogLine() << logText << ' ' << folder << '/' << fileName << " - "
                   << (ok ? "ok" : "failed") << '.';
    endLogLine();
    return ok;
}
