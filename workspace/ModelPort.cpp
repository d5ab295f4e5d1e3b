#include "workspace/ModelPort.h"

#include <QCoreApplication>

ModelPort* ModelPort::instance() {
    // Parented to the application so that it goes before the application does.
    static ModelPort* port = [] {
        auto* created = new ModelPort;
        created->setParent(QCoreApplication::instance());
        return created;
    }();
    return port;
}

void ModelPort::setPictures(const QImage& source, const QImage& output) {
    source_ = source;
    sourcePixmap_ = source.isNull() ? QPixmap() : QPixmap::fromImage(source);
    output_ = output;
    emit tellImageChanged();
    emit usabilityMayHaveChanged();
}

void ModelPort::setOutput(const QImage& output) {
    output_ = output;
    if (!source_.isNull())
        emit rectDirty(QRectF(QPointF(0, 0), QSizeF(source_.size())), 0);
}

void ModelPort::setResolution(int divisor) {
    if (divisor != 1 && divisor != 2 && divisor != 4 && divisor != 8)
        return;
    const int old = resolution_;
    resolution_ = divisor;
    emit resolutionChanged(old, divisor);
}
