#pragma once

/// Marks the value type a property chooser edits (int, QColor, QFont); it carries nothing.
template <typename Value>
class ItemPropertyChooser {};
