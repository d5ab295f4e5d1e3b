#pragma once

#include <QWidget>

class QBoxLayout;
class QPixmap;
class QSlider;

/// A horizontal slider with optional nudge buttons at its ends. The buttons step the slider by
/// one single step, unless someone listens to the nudge requests: then they only ask.
class Slider : public QWidget {
    Q_OBJECT
public:
    /// Both arguments are unused; the owner places the slider in a layout.
    explicit Slider(QWidget* unused = nullptr, const char* unusedName = nullptr);

    /// Adds the step-down button before the slider and the step-up button after it.
    void setNudgeIcons(const QPixmap& down, const QPixmap& up);
    /// Tool tips of the slider and of the two buttons, each when it is there.
    void setToolTips(const QString& sliderTip, const QString& downTip, const QString& upTip);

    QSlider* slider;
    QBoxLayout* layout;

signals:
    void requestNudgeUp();
    void requestNudgeDown();

public slots:
    void nudgeUp();
    void nudgeDown();
};
