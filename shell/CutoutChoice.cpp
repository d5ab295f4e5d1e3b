#include "shell/CutoutChoice.h"

#include "shell/TqMainWindow.h"
#include "shell/ZolPreferences.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QShortcut>
#include <QSpacerItem>
#include <QVBoxLayout>

CutoutChoice* theCutoutChoice = nullptr;

namespace {

bool lastChoiceWasCutout = true;
QRect lastGeometry;   // invalid until the first dialog hides

QString text(const char* source, const char* disambiguation = nullptr) {
    return QCoreApplication::translate("CutoutChoiceDialog", source, disambiguation);
}

}  // namespace

CutoutChoice::CutoutChoice(QWidget* parent, const QPixmap& thumbnail)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("CutoutChoiceDialog"));
    setWindowTitle(text("Dialog"));
    resize(455, 471);
    setSizeGripEnabled(false);
    auto* outer = new QVBoxLayout(this);
    outer->setObjectName(QStringLiteral("verticalLayout"));

    auto* row = new QHBoxLayout;
    row->setObjectName(QStringLiteral("horizontalLayout"));
    row->addItem(new QSpacerItem(73, 117, QSizePolicy::Expanding, QSizePolicy::Minimum));
    imageLabel_ = new QLabel(this);
    imageLabel_->setObjectName(QStringLiteral("imageLabel"));
    imageLabel_->setFixedSize(240, 240);
    imageLabel_->setAlignment(Qt::AlignCenter);
    if (!thumbnail.isNull())
        imageLabel_->setPixmap(
            thumbnail.scaled(imageLabel_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    row->addWidget(imageLabel_);
    row->addItem(new QSpacerItem(73, 117, QSizePolicy::Expanding, QSizePolicy::Minimum));
    outer->addLayout(row);
    outer->addItem(new QSpacerItem(20, 6, QSizePolicy::Minimum, QSizePolicy::Expanding));

    auto* group = new QGroupBox(text("What would you like to do with this image?"), this);
    group->setObjectName(QStringLiteral("groupBox"));
    auto* choices = new QVBoxLayout(group);
    choices->setObjectName(QStringLiteral("verticalLayout_2"));
    cutoutRadioButton_ = new QRadioButton(text("Extract a person or object from the image"), group);
    cutoutRadioButton_->setObjectName(QStringLiteral("cutoutRadioButton"));
    cutoutRadioButton_->setToolTip(text("Your finished Cut-Out will be placed on the Canvas"));
    cutoutRadioButton_->setChecked(true);
    imageRadioButton_ = new QRadioButton(text("Place the whole image on the canvas"), group);
    imageRadioButton_->setObjectName(QStringLiteral("imageRadioButton"));
    imageRadioButton_->setToolTip(text("You may create a Cut-out from this Image later"));
    backdropRadioButton_ = new QRadioButton(text("Use it as the background"), group);
    backdropRadioButton_->setObjectName(QStringLiteral("backdropRadioButton"));
    backdropRadioButton_->setToolTip(
        text("The Canvas will be Set Up using this Image.\nUse the Set Up Canvas Tool for finer control.",
             "'Set Up Canvas' must match the tool tip for the 'Start' button"));
    choices->addWidget(cutoutRadioButton_);
    choices->addWidget(imageRadioButton_);
    choices->addWidget(backdropRadioButton_);
    outer->addWidget(group);
    outer->addItem(new QSpacerItem(20, 9, QSizePolicy::Minimum, QSizePolicy::Expanding));

    alwaysDoThisCheckBox_ = new QCheckBox(text("Always do this when I open an image"), this);
    alwaysDoThisCheckBox_->setObjectName(QStringLiteral("alwaysDoThisCheckBox"));
    alwaysDoThisCheckBox_->setToolTip(text("You can also set this using the Preferences menu option"));
    outer->addWidget(alwaysDoThisCheckBox_);
    outer->addItem(new QSpacerItem(20, 6, QSizePolicy::Minimum, QSizePolicy::Expanding));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                                         Qt::Horizontal, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    outer->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CutoutChoice::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CutoutChoice::reject);
    connect(backdropRadioButton_, &QRadioButton::toggled, alwaysDoThisCheckBox_, &QCheckBox::setDisabled);
    auto* close = new QShortcut(QKeySequence::Close, this);
    connect(close, &QShortcut::activated, this, &CutoutChoice::reject);
}

CutoutChoice::~CutoutChoice() {
    if (theCutoutChoice == this)
        theCutoutChoice = nullptr;
}

int CutoutChoice::ask(const QPixmap& picture, const QString& fileName) {
    if (theCutoutChoice)
        return Nothing;
    const int preference = ZolPreferences::onImageLoad();
    if (preference != 0)
        return preference == 1 ? Cutout : Image;
    CutoutChoice* dialog = new CutoutChoice(theMainWindow, picture);
    theCutoutChoice = dialog;
    dialog->setWindowTitle(QFileInfo(fileName).fileName());
    (lastChoiceWasCutout ? dialog->cutoutRadioButton_ : dialog->imageRadioButton_)->setChecked(true);
    int result = Nothing;
    if (dialog->exec() == QDialog::Accepted) {
        if (dialog->backdropRadioButton_->isChecked())
            result = Backdrop;
        else
            result = dialog->cutoutRadioButton_->isChecked() ? Cutout : Image;
    }
    delete dialog;
    theCutoutChoice = nullptr;
    return result;
}

void CutoutChoice::accept() {
    if (!backdropRadioButton_->isChecked()) {
        lastChoiceWasCutout = cutoutRadioButton_->isChecked();
        if (alwaysDoThisCheckBox_->isChecked())
            ZolPreferences::setOnImageLoad(lastChoiceWasCutout);
    }
    QDialog::accept();
}

void CutoutChoice::showEvent(QShowEvent* event) {
    if (lastGeometry.isValid())
        setGeometry(lastGeometry);
    QDialog::showEvent(event);
}

void CutoutChoice::hideEvent(QHideEvent* event) {
    lastGeometry = geometry();
    QDialog::hideEvent(event);
}
