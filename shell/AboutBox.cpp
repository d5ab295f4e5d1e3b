#include "shell/AboutBox.h"

#include "shell/DistributorCustomisation.h"
#include "common/Product.h"
#include "shell/TqApplication.h"

#include <QApplication>
#include <QDialog>
#include <QKeySequence>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr int boxWidth = 320;
constexpr int boxMaximumHeight = 1024;
constexpr int textWidth = 280;
constexpr int logoWidth = 200;

QPointer<QDialog>& theAboutBox() {
    static QPointer<QDialog> box;
    return box;
}

QString aboutText(const char* text) {
    return QCoreApplication::translate("AboutBox", text, "[all]Appears in the About box");
}

QString dedicationText(const char* text) {
    return QCoreApplication::translate("AboutBox", text, "[all]");
}

QDialog* buildAboutBox(QWidget* parent) {
    auto* box = new QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    box->setMinimumSize(boxWidth, 0);
    box->setMaximumSize(boxWidth, boxMaximumHeight);
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    box->setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(box);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* logo = new QLabel(box);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setPixmap(aboutBoxLogo(distributorLogo()));
    layout->addWidget(logo, 0, Qt::AlignHCenter);

    auto* text = new QLabel(box);
    text->setObjectName(QStringLiteral("text"));
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setMaximumWidth(textWidth);
    text->setAlignment(Qt::AlignHCenter);
    text->setText(aboutBoxRichText(aboutBoxText()));
    layout->addWidget(text, 0, Qt::AlignHCenter);

    layout->addStretch();

    auto* ok = new QPushButton(QCoreApplication::translate("AboutBox", "OK"), box);
    ok->setDefault(true);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    QObject::connect(ok, &QPushButton::clicked, box, &QWidget::close);
    auto* closeKey = new QShortcut(QKeySequence::Close, box);
    QObject::connect(closeKey, &QShortcut::activated, box, &QWidget::close);
    return box;
}

}  // namespace

QPixmap aboutBoxLogo(const QPixmap& distributorLogo) {
    if (distributorLogo.isNull()) {
        QStyle* style = QApplication::style();
        const int size = style->pixelMetric(QStyle::PM_MessageBoxIconSize);
        return style->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(size, size);
    }
    if (distributorLogo.width() > logoWidth)
        return distributorLogo.scaledToWidth(logoWidth, Qt::SmoothTransformation);
    return distributorLogo;
}

QString aboutBoxRichText(const QString& distributorText) {
    QString html = QStringLiteral("<center>");
    html += QStringLiteral("<p><font size=\"+2\"><b>%1</b></font></p>")
                .arg(productDisplayName().replace(QLatin1Char(' '), QStringLiteral("&nbsp;")));
    // The distributor's text is the installer's own rich text, shown as written.
    if (!distributorText.isEmpty())
        html += QStringLiteral("<p><font size=\"+1\"><b>%1</b></font></p>").arg(distributorText);
    // The revision (40 hex digits, one unbreakable word) is set smaller so that it fits the box.
    const QString version = Product::version();
    const int blank = version.indexOf(QLatin1Char(' '));
    html += QStringLiteral("<p>%1 %2 <small>%3</small></p>")
                .arg(aboutText("Version"), version.left(blank), version.mid(blank + 1));
    html += QStringLiteral("<p>%1<br/>%2</p>")
                .arg(aboutText("Copyright \u00A9 2011-2026 BrenmoorTech."),
                     aboutText("All rights reserved."));
    html += QStringLiteral("<hr/><p><i>%1</i></p><hr/>")
                .arg(dedicationText("For everyone who ever tried to cut a cat out of a photograph "
                                    "without cutting off its whiskers."));
    html += QStringLiteral("</center>");
    return html;
}

void showAboutBox(QWidget* parent) {
    QPointer<QDialog>& box = theAboutBox();
    if (!box)
        box = buildAboutBox(parent);
    box->show();
    box->raise();
    box->activateWindow();
}

int runAboutBoxAlone(int& argc, char** argv) {
    std::unique_ptr<QApplication> application;
    if (!QCoreApplication::instance()) {
        TqApplication::useHighDpiScreens();
        TqApplication::keepRuntimeFolderOwn();
        application = std::make_unique<QApplication>(argc, argv);
    }
    QPointer<QDialog>& box = theAboutBox();
    if (!box)
        box = buildAboutBox(nullptr);
    box->setWindowFlags(box->windowFlags() | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    box->exec();
    deleteAboutBox();
    return 0;
}

QDialog* aboutBox() { return theAboutBox(); }

void deleteAboutBox() { delete theAboutBox().data(); }
