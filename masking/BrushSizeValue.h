#pragma once

/// The one brush size of every masking brush, in pixels, 1 to 400; 10 at start. The brushing
/// tool shows and edits it; the masking model sets it for every new image and scales it on a
/// resolution change.
class BrushSizeValue {
public:
    static constexpr int minimum = 1;
    static constexpr int maximum = 400;
    static constexpr int initial = 10;

    static int brushSize();
    /// Kept to minimum..maximum.
    static void setBrushSize(int size);
};
