#pragma once

#include <QUrl>
#include <QWidget>

class QLineEdit;

/// The image search box of the "Options" bar: opens a web image search for its text in the
/// browser, from where the user drags a picture into the program. Return and Enter typed in
/// it search; they never reach the window's shortcuts.
class GoogleWidget : public QWidget {
    Q_OBJECT
public:
    GoogleWidget();

    /// The search address for `text`: "q" with its blanks as "+", "hl" the system language.
    static QUrl searchUrl(const QString& text);

    QLineEdit* lineEdit() const { return lineEdit_; }

public slots:
    void searchGoogleImagesSlot();
    void setFocusSlot();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QLineEdit* lineEdit_;
};
