#include "shell/GoogleWidget.h"

#include "common/Product.h"
#include "shell/TranslationLoader.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QUrlQuery>

namespace {

const char* const searchAddress = "https://www.google.com/images";

}  // namespace

GoogleWidget::GoogleWidget() : lineEdit_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("GoogleWidget"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setToolTip(tr("Search Google Images - then Drag and Drop into %1",
                  "Tool tip on Google Search box")
                   .arg(productDisplayName()));

    layout->addWidget(lineEdit_, 0);
    lineEdit_->installEventFilter(this);
    connect(lineEdit_, &QLineEdit::returnPressed, this, &GoogleWidget::searchGoogleImagesSlot);

    auto* button = new QPushButton(QIcon(QPixmap(QStringLiteral(":images/google/google_32.png"))),
                                   QString(), this);
    button->setObjectName(QStringLiteral("GoogleSearchButton"));
    layout->addWidget(button, 0);
    connect(button, &QPushButton::clicked, this, &GoogleWidget::searchGoogleImagesSlot);
}

QUrl GoogleWidget::searchUrl(const QString& text) {
    QString words = text;
    words.replace(QLatin1Char(' '), QLatin1Char('+'));
    // QUrlQuery encodes "&", "=" and "#" inside a value, so typed text stays one item.
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("q"), words);
    query.addQueryItem(QStringLiteral("hl"), systemLanguageCode());
    QUrl url(QString::fromLatin1(searchAddress));
    url.setQuery(query);
    return url;
}

void GoogleWidget::searchGoogleImagesSlot() { QDesktopServices::openUrl(searchUrl(lineEdit_->text())); }

void GoogleWidget::setFocusSlot() { lineEdit_->setFocus(Qt::ShortcutFocusReason); }

bool GoogleWidget::eventFilter(QObject* watched, QEvent* e) {
    // The window binds Return to finishing a cut-out; typed here it means "search".
    if (watched == lineEdit_ && e->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            e->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}
