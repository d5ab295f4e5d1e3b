#pragma once

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QString>

class QSettings;
class QShowEvent;
class QHideEvent;

namespace Ui {
class ZolPreferencesDialog;
}

/// The user's preferences of the shell, edited in one modeless dialog that writes every change
/// at once (there is no OK or Apply). Only "OnImageLoad" is read elsewhere: the cut-out choice
/// asks it what a newly opened picture becomes. GUI thread only.
class ZolPreferences : public QDialog {
    Q_OBJECT
public:
    /// What a newly opened picture becomes.
    enum OnImageLoad { AskMe = 0, StartCutout = 1, PlaceImage = 2 };

    explicit ZolPreferences(QWidget* parent = nullptr);
    ~ZolPreferences() override;

    /// The settings the preferences live in, built on first use with the application's identity.
    static QSettings& settings();

    /// "OnImageLoad": 0 ask, 1 start a cut-out, 2 place the image. A stored value outside these
    /// (a damaged or foreign file) reads as 0, so nothing is decided without asking.
    static int onImageLoad();
    static bool showGettingStarted();
    static bool showCutOutTips();
    static bool showCompositionTips();
    static QString facebookSessionKey();

    /// Stores 1 when `cutOut`, else 2, and shows it in the dialog when the dialog exists.
    static void setOnImageLoad(bool cutOut);
    /// Stores the session key and shows it in the dialog when the dialog exists.
    static void setFacebookSessionKey(const QString& key);

    /// The one dialog, built on first use as a child of the main window. It is rebuilt when
    /// something deleted it (its parent went, or it was closed with delete-on-close), so a
    /// caller never gets a dangling pointer.
    static ZolPreferences* instance();
    /// The dialog when it exists, else null; never builds it.
    static ZolPreferences* existingInstance();

    /// Sets the controls from the settings. An "OnImageLoad" other than 0, 1 or 2 leaves the
    /// radio buttons as they are.
    void loadFromSettings();
    /// Writes the controls to the settings.
    void saveToSettings();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private slots:
    void on_imageRadioButton_clicked();
    void on_cutoutRadioButton_clicked();
    void on_askMeRadioButton_clicked();
    void on_showGettingStartedCheckBox_clicked();
    void on_showCutOutTipsCheckBox_clicked();
    void on_showCompositionTipsCheckBox_clicked();
    void on_setFacebookSessionKey_clicked();
    void on_clearFacebookSessionKey_clicked();

private:
    void storeSessionKey(const QString& key);

    Ui::ZolPreferencesDialog* ui_;
};
