#pragma once

#include "masking/NamedImage.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

class NetworkImageGetter;
class QMimeData;
class QProgressDialog;

/// Collects every picture a drop offers (image data, local files, and downloads of the
/// addresses in it, one `NetworkImageGetter` each), keeps the largest, and hands it over once
/// through `bestImage`. Lives until its last download has gone; `finished()` says when, and the
/// one who made it deletes it then. GUI thread.
class ImageReceiver : public QObject {
    Q_OBJECT
public:
    /// Takes the image data and local files of `mimeData` at once and starts the downloads.
    /// The mime data is not kept.
    explicit ImageReceiver(const QMimeData* mimeData);
    ~ImageReceiver() override;

    /// Shows the progress of the downloads (when there are any) and checks for completion.
    void start();

    /// The largest picture so far (null while there is none).
    const NamedImage& best() const { return bestImage_; }

signals:
    void bestImage(NamedImage image);
    void finished();

public slots:
    void imageReceivedSlot(NamedImage image);
    /// Hands over what there is now; downloads still running may not replace it any more.
    void cancelSlot();
    void possiblyFinished();

private:
    void addUrl(const QUrl& url);
    void deliver();

    NamedImage bestImage_;
    QList<QPointer<NetworkImageGetter>> getters_;
    QList<QUrl> taken_;   // addresses already fetched or loaded
    QProgressDialog* progressDialog_ = nullptr;
    bool delivered_ = false;
};
