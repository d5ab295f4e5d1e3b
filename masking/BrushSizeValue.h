#pragma once

#include <QObject>
#include <QString>

#include <atomic>

/// The one brush size of every masking brush, in pixels, 1 to 400; 10 at start. The brush
/// options panel shows and edits it and reads the stored size when it is built; the masking
/// model sets it for every new image and scales it on a resolution change. Every change is
/// written to the settings and announced.
///
/// One per process (`instance`). The size may be read from any thread (the engine paints strokes
/// with it); it is changed on the GUI thread only.
class BrushSizeValue : public QObject {
    Q_OBJECT
public:
    static constexpr int minimum = 1;
    static constexpr int maximum = 400;
    static constexpr int initial = 10;
    /// Where the size is stored, as a whole number.
    static const QString settingsKey;

    static BrushSizeValue* instance();

    int brushSize() const { return size_.load(); }
    /// Kept to minimum..maximum; a change is stored and announced, the same size is ignored.
    void setBrushSize(int size);
    /// Takes the stored size; a missing or unreadable one reads as 0, which gives the minimum.
    void loadStoredSize();

signals:
    void brushSizeChanged(int size);

private:
    BrushSizeValue() = default;

    std::atomic<int> size_{initial};
};
