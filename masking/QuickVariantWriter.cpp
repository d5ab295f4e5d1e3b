#include "masking/QuickVariantWriter.h"

#include "common/PooledWork.h"

#include "platform/ProcessorCount.h"

#include <QBuffer>
#include <QDataStream>
#include <QImageWriter>
#include <QMetaType>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

QByteArray encodePng(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(quality);
    if (!writer.write(image))
        return QByteArray();
    return bytes;
}

// The value's bytes with a gap at each picture: `pieces[i]` comes before `images[i]`, and one
// more piece closes the value. Each gap follows the picture's variant header and the qint32
// that marks a picture as present, so that the PNG file alone goes into it.
class Plan {
public:
    explicit Plan(const QDataStream& like) : like_(like) { startPiece(); }

    void add(const QVariant& value) {
        switch (value.userType()) {
        case QMetaType::QVariantMap: {
            const QVariantMap map = value.toMap();
            *stream_ << quint32(QMetaType::QVariantMap) << qint8(value.isNull()) << quint32(map.size());
            // Qt 5 writes a map last key first (a reader then keeps the newest of equal keys);
            // the layout must be the same to the byte.
            for (auto it = map.constEnd(); it != map.constBegin();) {
                --it;
                *stream_ << it.key();
                add(it.value());
            }
            return;
        }
        case QMetaType::QVariantList: {
            const QVariantList list = value.toList();
            *stream_ << quint32(QMetaType::QVariantList) << qint8(value.isNull()) << quint32(list.size());
            for (const QVariant& element : list)
                add(element);
            return;
        }
        case QMetaType::QImage: {
            const QImage image = value.value<QImage>();
            if (image.isNull())
                break;   // a few bytes; Qt knows best how a null picture is spelt
            // A variant holding a picture with pixels was made from that picture, so it is
            // never marked null.
            *stream_ << quint32(QMetaType::QImage) << qint8(0) << qint32(1);
            pieces.push_back(current_);
            images.push_back(image);
            startPiece();
            return;
        }
        default:
            break;
        }
        *stream_ << value;
    }

    // Ends the last piece; call once, after the last `add`.
    void close() {
        stream_.reset();
        pieces.push_back(current_);
    }

    std::vector<QByteArray> pieces;
    std::vector<QImage> images;

private:
    void startPiece() {
        stream_.reset();
        current_.clear();
        stream_ = std::make_unique<QDataStream>(&current_, QIODevice::WriteOnly);
        stream_->setVersion(like_.version());
        stream_->setByteOrder(like_.byteOrder());
        stream_->setFloatingPointPrecision(like_.floatingPointPrecision());
    }

    const QDataStream& like_;
    QByteArray current_;
    std::unique_ptr<QDataStream> stream_;
};

}  // namespace

std::vector<QByteArray> QuickVariantWriter::encodeAll(const std::vector<QImage>& images, int quality,
                                                      unsigned workers) {
    std::vector<QByteArray> encoded(images.size());
    const int count = int(images.size());
    const int threads = int(std::min<std::size_t>(std::max(workers, 1u), images.size()));
    // The calling thread is one of the workers; a picture's exception is rethrown here once the
    // pictures already begun have ended.
    runPooled(count, threads - 1, [&](int i) { encoded[i] = encodePng(images[i], quality); });
    return encoded;
}

bool QuickVariantWriter::write(QDataStream& out, const QVariant& value, int quality) {
    if (out.version() < QDataStream::Qt_4_2) {
        // Older layouts spell variants differently; they are Qt's business alone.
        out << value;
        return out.status() == QDataStream::Ok;
    }
    Plan plan(out);
    plan.add(value);
    plan.close();
    const std::vector<QByteArray> encoded =
        encodeAll(plan.images, quality, zqplatform::processorCount());
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const QByteArray& piece = plan.pieces[i];
        if (out.writeRawData(piece.constData(), piece.size()) != piece.size())
            return false;
        if (encoded[i].isEmpty())
            return false;   // a failed picture must not pass for a session
        if (out.writeRawData(encoded[i].constData(), encoded[i].size()) != encoded[i].size())
            return false;
    }
    const QByteArray& last = plan.pieces.back();
    return out.writeRawData(last.constData(), last.size()) == last.size()
           && out.status() == QDataStream::Ok;
}
