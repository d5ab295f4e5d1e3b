#include "common/PersistOptions.h"

#include "common/GmColor.h"

#include <QColor>
#include <QObject>
#include <QVariant>

#include <utility>

PersistOptions* theOptions = nullptr;

namespace {

// A stored flag that is not plainly a boolean ("true"/"false", "1"/"0", a number) reads as
// false; QVariant alone would take any other text for true.
bool storedFlag(const QVariant& value) {
    if (value.type() == QVariant::Bool)
        return value.toBool();
    bool isNumber = false;
    const qlonglong number = value.toLongLong(&isNumber);
    if (isNumber)
        return number != 0;
    return value.toString().trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

struct DisplayColor {
    const char* key;   // also the untranslated description
    Qt::GlobalColor defaultColor;
};

constexpr DisplayColor displayColors[PersistOptions::ColorCount] = {
    {QT_TRANSLATE_NOOP("QObject", "Keep Mask"), Qt::green},
    {QT_TRANSLATE_NOOP("QObject", "Delete Mask"), Qt::red},
    {QT_TRANSLATE_NOOP("QObject", "Blend Mask"), Qt::blue},
    {QT_TRANSLATE_NOOP("QObject", "Patch Protection"), Qt::white},
    {QT_TRANSLATE_NOOP("QObject", "Patch or Forced Edge"), Qt::darkYellow},
    {QT_TRANSLATE_NOOP("QObject", "Active Patch or Forced Edge"), Qt::yellow},
    {QT_TRANSLATE_NOOP("QObject", "Color Workspace Highlight"), Qt::yellow},
};

}  // namespace

PersistOptions::PersistOptions()
    : persistOptionsKey_(QStringLiteral("Preferences/PersistOptions")),
      useTabletPressureKey_(QStringLiteral("Preferences/UseTabletPressure")) {
    persistOptions_ = storedFlag(settings_.value(persistOptionsKey_, false));
    useTabletPressure_ = storedFlag(settings_.value(useTabletPressureKey_, true));
    for (const DisplayColor& color : displayColors)
        colors_.append(new GmColor(QColor(color.defaultColor), QString::fromLatin1(color.key),
                                   QObject::tr(color.key), true));
    theOptions = this;
}

PersistOptions::~PersistOptions() {
    // Only a flag the file does not hold yet is written: any change makes the settings object
    // rewrite the whole file and wait for the disk as it goes, at every exit.
    const std::pair<const QString*, bool> flags[] = {{&persistOptionsKey_, persistOptions_},
                                                     {&useTabletPressureKey_, useTabletPressure_}};
    for (const auto& [key, value] : flags)
        if (!settings_.contains(*key) || storedFlag(settings_.value(*key)) != value)
            settings_.setValue(*key, value);
    qDeleteAll(colors_);   // each colour writes itself back when it changed
    colors_.clear();
    if (theOptions == this)
        theOptions = nullptr;
}
