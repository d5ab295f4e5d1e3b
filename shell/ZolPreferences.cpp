#include "shell/ZolPreferences.h"

#include "shell/TqMainWindow.h"
#include "ui_ZolPreferencesDialog.h"

#include <QHideEvent>
#include <QKeySequence>
#include <QSettings>
#include <QShortcut>
#include <QShowEvent>

namespace {

const QString onImageLoadKey = QStringLiteral("OnImageLoad");
const QString showGettingStartedKey = QStringLiteral("ShowGettingStarted");
const QString showCutOutTipsKey = QStringLiteral("ShowCutOutTips");
const QString showCompositionTipsKey = QStringLiteral("ShowCompositionTips");
const QString sessionKeyKey = QStringLiteral("Facebook/SessionKey");

// Where the dialog was when it last hid during this run; invalid until then.
QRect lastGeometry;

QPointer<ZolPreferences>& theDialog() {
    static QPointer<ZolPreferences> dialog;
    return dialog;
}

}  // namespace

ZolPreferences::ZolPreferences(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::CustomizeWindowHint),
      ui_(new Ui::ZolPreferencesDialog) {
    ui_->setupUi(this);
    auto* close = new QShortcut(QKeySequence::Close, this);
    connect(close, &QShortcut::activated, this, &QDialog::close);
    // Built by the form for options the program does not offer; they stay hidden.
    ui_->tipsGroupBox->hide();
    ui_->facebookGroupBox->hide();
    resize(1, 1);   // the smallest size the visible groups allow
    loadFromSettings();
}

ZolPreferences::~ZolPreferences() { delete ui_; }

QSettings& ZolPreferences::settings() {
    static QSettings settings;
    return settings;
}

int ZolPreferences::onImageLoad() {
    const int value = settings().value(onImageLoadKey, AskMe).toInt();
    return value == StartCutout || value == PlaceImage ? value : AskMe;
}

bool ZolPreferences::showGettingStarted() {
    return settings().value(showGettingStartedKey, true).toBool();
}

bool ZolPreferences::showCutOutTips() { return settings().value(showCutOutTipsKey, true).toBool(); }

bool ZolPreferences::showCompositionTips() {
    return settings().value(showCompositionTipsKey, true).toBool();
}

QString ZolPreferences::facebookSessionKey() {
    return settings().value(sessionKeyKey, QString()).toString();
}

void ZolPreferences::setOnImageLoad(bool cutOut) {
    settings().setValue(onImageLoadKey, cutOut ? StartCutout : PlaceImage);
    if (ZolPreferences* dialog = existingInstance())
        dialog->loadFromSettings();
}

void ZolPreferences::setFacebookSessionKey(const QString& key) {
    settings().setValue(sessionKeyKey, key);
    if (ZolPreferences* dialog = existingInstance())
        dialog->loadFromSettings();
}

ZolPreferences* ZolPreferences::instance() {
    QPointer<ZolPreferences>& dialog = theDialog();
    if (!dialog)
        dialog = new ZolPreferences(theMainWindow);
    return dialog;
}

ZolPreferences* ZolPreferences::existingInstance() { return theDialog(); }

void ZolPreferences::loadFromSettings() {
    switch (settings().value(onImageLoadKey, AskMe).toInt()) {
    case AskMe:
        ui_->askMeRadioButton->setChecked(true);
        break;
    case StartCutout:
        ui_->cutoutRadioButton->setChecked(true);
        break;
    case PlaceImage:
        ui_->imageRadioButton->setChecked(true);
        break;
    default:
        break;   // a value we do not know: the buttons keep what they show
    }
    ui_->showGettingStartedCheckBox->setChecked(showGettingStarted());
    ui_->showCutOutTipsCheckBox->setChecked(showCutOutTips());
    ui_->showCompositionTipsCheckBox->setChecked(showCompositionTips());
    ui_->currentFacebookSessionKeyLabel->setText(facebookSessionKey());
}

void ZolPreferences::saveToSettings() {
    int choice = AskMe;
    if (ui_->imageRadioButton->isChecked())
        choice = PlaceImage;
    else if (ui_->cutoutRadioButton->isChecked())
        choice = StartCutout;
    settings().setValue(onImageLoadKey, choice);
    settings().setValue(showGettingStartedKey, ui_->showGettingStartedCheckBox->isChecked());
    settings().setValue(showCutOutTipsKey, ui_->showCutOutTipsCheckBox->isChecked());
    settings().setValue(showCompositionTipsKey, ui_->showCompositionTipsCheckBox->isChecked());
    // The label holds the key in use, so an unchanged key is written back as it was.
    settings().setValue(sessionKeyKey, ui_->currentFacebookSessionKeyLabel->text());
}

void ZolPreferences::showEvent(QShowEvent* event) {
    if (lastGeometry.isValid())
        setGeometry(lastGeometry);
    QDialog::showEvent(event);
}

void ZolPreferences::hideEvent(QHideEvent* event) {
    lastGeometry = geometry();
    QDialog::hideEvent(event);
}

void ZolPreferences::on_imageRadioButton_clicked() { saveToSettings(); }
void ZolPreferences::on_cutoutRadioButton_clicked() { saveToSettings(); }
void ZolPreferences::on_askMeRadioButton_clicked() { saveToSettings(); }
void ZolPreferences::on_showGettingStartedCheckBox_clicked() { saveToSettings(); }
void ZolPreferences::on_showCutOutTipsCheckBox_clicked() { saveToSettings(); }
void ZolPreferences::on_showCompositionTipsCheckBox_clicked() { saveToSettings(); }

void ZolPreferences::on_setFacebookSessionKey_clicked() {
    storeSessionKey(ui_->newFacebookSessionKey->text());
}

void ZolPreferences::on_clearFacebookSessionKey_clicked() { storeSessionKey(QString()); }

void ZolPreferences::storeSessionKey(const QString& key) {
    settings().setValue(sessionKeyKey, key);
    // saveToSettings writes the key from the label: show the new key first, or the old one
    // would be written back over it.
    ui_->currentFacebookSessionKeyLabel->setText(key);
    saveToSettings();
}
