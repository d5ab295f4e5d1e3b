#include "shell/ImageReceiver.h"

#include "masking/ImageIntake.h"
#include "shell/NetworkImageGetter.h"
#include "shell/TqMainWindow.h"

#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QUrlQuery>

ImageReceiver::ImageReceiver(const QMimeData* mimeData) {
    if (!mimeData)
        return;
    if (mimeData->hasImage())
        bestImage_ = NamedImage(boundIntakeImage(qvariant_cast<QImage>(mimeData->imageData())),
                                QUrl());
    if (mimeData->hasText())
        addUrl(QUrl(mimeData->text()));
    const QList<QUrl> urls = mimeData->urls();
    for (const QUrl& url : urls)
        addUrl(url);
}

ImageReceiver::~ImageReceiver() {
    if (progressDialog_) {
        progressDialog_->disconnect(this);
        delete progressDialog_;
    }
}

void ImageReceiver::addUrl(const QUrl& url) {
    if (!url.isValid())
        return;
    const QList<QPair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::PrettyDecoded);
    if (!items.isEmpty()) {
        // A search result's link carries the picture's own address in its query.
        for (const auto& item : items) {
            if (item.second.contains(QLatin1Char('.')) && item.second.contains(QLatin1Char(':')))
                addUrl(QUrl::fromEncoded(item.second.toUtf8(), QUrl::TolerantMode));
        }
        return;
    }
    const QString scheme = url.scheme();
    if (!url.host().isEmpty() && (scheme == QLatin1String("http") || scheme == QLatin1String("ftp"))) {
        const QUrl normalised(QUrl::fromPercentEncoding(url.toString().toUtf8()));
        // Qt offers dropped addresses as text as well: each is fetched once.
        if (taken_.contains(normalised))
            return;
        taken_.append(normalised);
        auto* getter = new NetworkImageGetter(normalised);
        getters_.append(getter);
        connect(getter, &NetworkImageGetter::imageReceived, this, &ImageReceiver::imageReceivedSlot);
        connect(getter, &NetworkImageGetter::finished, getter, &QObject::deleteLater);
        connect(getter, &QObject::destroyed, this, &ImageReceiver::possiblyFinished);
        getter->start();
        return;
    }
    if (url.isLocalFile()) {
        if (taken_.contains(url))
            return;
        taken_.append(url);
        const IntakeResult read = readIntakeFile(url.toLocalFile());
        imageReceivedSlot(NamedImage(read.image, url));
    }
}

void ImageReceiver::start() {
    if (!getters_.isEmpty()) {
        progressDialog_ = new QProgressDialog(bestImage_.isNull() ? tr("Loading images from the Internet")
                                                                  : tr("Searching for larger image"),
                                              tr("Cancel"), 0, getters_.size());
        connect(progressDialog_, &QProgressDialog::canceled, this, &ImageReceiver::cancelSlot);
    }
    possiblyFinished();
}

void ImageReceiver::imageReceivedSlot(NamedImage image) {
    if (image.isNull())
        return;
    const qint64 area = qint64(image.width()) * image.height();
    const qint64 bestArea = qint64(bestImage_.width()) * bestImage_.height();
    if (area > bestArea)
        bestImage_ = image;
}

void ImageReceiver::cancelSlot() { deliver(); }

void ImageReceiver::possiblyFinished() {
    int gone = 0;
    for (const QPointer<NetworkImageGetter>& getter : getters_)
        gone += getter.isNull() ? 1 : 0;
    if (progressDialog_)
        progressDialog_->setValue(gone);
    if (gone == getters_.size()) {
        deliver();
        emit finished();
    }
}

void ImageReceiver::deliver() {
    if (bestImage_.isNull()) {
        // Shown without a nested event loop: the receiver may be deleted while it is up.
        auto* box = new QMessageBox(QMessageBox::Warning,
                                    tr("Image dropped", "Title of dialogue box"),
                                    tr("Image could not be opened", "Message in a dialogue box"),
                                    QMessageBox::Ok, theMainWindow);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    if (delivered_)
        return;
    delivered_ = true;
    emit bestImage(bestImage_);
}
