#pragma once

#include <QFontComboBox>

/// A font box whose editable text is never longer than what fills its edit field: the shortest
/// leading part of any font name that already reaches the field's width. The drop-down list
/// keeps the full names. GUI thread only.
class TruncatedFontComboBox : public QFontComboBox {
    Q_OBJECT
public:
    /// The parent is not used: the box is parented when it is placed in a layout.
    explicit TruncatedFontComboBox(QWidget* parent = nullptr);

    /// Recomputes the edit field's length limit from its width. When the limit rises, the
    /// field shows the current font's name again, so a limit computed before layout (width 0
    /// gives 1) does not leave a single letter behind. A box without entries keeps its limit.
    void updateMaxLength();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
};
