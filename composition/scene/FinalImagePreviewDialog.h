#pragma once

#include <QDialog>

class QLabel;

/// Shows the final image at full size in a scroll area, with a Close button. Reopens where
/// and as large as it was last closed, within one run.
class FinalImagePreviewDialog : public QDialog {
    Q_OBJECT
public:
    FinalImagePreviewDialog();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* imageLabel_;
};
