#pragma once

#include <QWidget>

class QLabel;
class TitleButton;

/// The title bar of a docked sub-window: the centred title in white on blue, and a close
/// button. Floating sub-windows use the window system's title bar instead. Starts hidden.
class TitleWidget : public QWidget {
    Q_OBJECT
public:
    TitleWidget(const QString& title, QWidget* parent);

    void setTitle(const QString& title);
    QString title() const;
    TitleButton* closeButton() const { return closeButton_; }

private:
    QLabel* label_;
    TitleButton* closeButton_;
};
