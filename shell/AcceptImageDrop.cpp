#include "shell/AcceptImageDrop.h"

#include "shell/ImageReceiver.h"
#include "shell/TqMainWindow.h"

#include <QDropEvent>
#include <QMimeData>

void acceptImageDrop(QDropEvent* event, QPointF position) {
    const QMimeData* mimeData = event ? event->mimeData() : nullptr;
    if (!mimeData || (!mimeData->hasUrls() && !mimeData->hasImage() && !mimeData->hasText()))
        return;
    event->setDropAction(event->proposedAction());
    event->accept();
    if (mimeData->hasUrls() || mimeData->hasImage()) {
        auto* receiver = new ImageReceiver(mimeData);
        if (theMainWindow)
            QObject::connect(receiver, &ImageReceiver::bestImage, theMainWindow,
                             &TqMainWindow::receivedImageSlot);
        QObject::connect(receiver, &ImageReceiver::finished, receiver, &QObject::deleteLater);
        receiver->start();
    } else if (theMainWindow) {
        theMainWindow->receivedTextSlot(mimeData->text(), position);
    }
}
