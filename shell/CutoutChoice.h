#pragma once

#include <QDialog>
#include <QPixmap>

class QCheckBox;
class QLabel;
class QRadioButton;

/// Asks what a newly opened picture is to become: a cut-out, a whole-image item on the
/// canvas, or the canvas backdrop. The preference "OnImageLoad" can answer at once. One
/// dialog at a time; GUI thread only.
class CutoutChoice : public QDialog {
    Q_OBJECT
public:
    enum Result { Cutout = 0, Image = 1, Backdrop = 2, Nothing = 3 };

    CutoutChoice(QWidget* parent, const QPixmap& thumbnail);
    ~CutoutChoice() override;

    /// The answer for `picture`, from the preference or from the dialog; Nothing when the
    /// dialog was cancelled or another one is open.
    static int ask(const QPixmap& picture, const QString& fileName);

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* imageLabel_ = nullptr;
    QRadioButton* cutoutRadioButton_ = nullptr;
    QRadioButton* imageRadioButton_ = nullptr;
    QRadioButton* backdropRadioButton_ = nullptr;
    QCheckBox* alwaysDoThisCheckBox_ = nullptr;
};

/// The choice dialog while it is open, else null.
extern CutoutChoice* theCutoutChoice;
