#pragma once

#include <QList>
#include <QSettings>
#include <QString>

class GmColor;

/// The application-wide options kept between runs: whether option panels remember their values
/// ("Preferences/PersistOptions", default false), whether brushes follow tablet pressure
/// ("Preferences/UseTabletPressure", default true) and the seven display colours. Built by the
/// application object's start-up and deleted first at shut-down, which writes everything back.
class PersistOptions {
public:
    /// The display colours, by their place in `colors()`.
    enum ColorIndex {
        KeepMask,
        DeleteMask,
        BlendMask,
        PatchProtection,
        PatchOrForcedEdge,
        ActivePatchOrForcedEdge,
        ColorWorkspaceHighlight,
        ColorCount
    };

    /// Reads both flags and the seven colours; sets `theOptions`.
    PersistOptions();

    /// Writes back the flags and colours that the settings do not hold already (nothing, when
    /// nothing changed); clears `theOptions` when it points here.
    ~PersistOptions();

    PersistOptions(const PersistOptions&) = delete;
    PersistOptions& operator=(const PersistOptions&) = delete;

    bool persistOptions() const { return persistOptions_; }
    bool useTabletPressure() const { return useTabletPressure_; }

    /// The colours in `ColorIndex` order, owned by the options.
    const QList<GmColor*>& colors() const { return colors_; }
    GmColor* color(ColorIndex index) const { return colors_.value(index); }

private:
    const QString persistOptionsKey_;
    bool persistOptions_ = false;
    QList<GmColor*> colors_;
    const QString useTabletPressureKey_;
    bool useTabletPressure_ = true;
    QSettings settings_;
};

/// The options of this process, or null before start-up made them and after shut-down.
extern PersistOptions* theOptions;
