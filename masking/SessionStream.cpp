#include "masking/SessionStream.h"

#include "masking/QuickVariantWriter.h"
#include "masking/SessionStreamCheck.h"

#include <QBuffer>
#include <QDataStream>
#include <QIODevice>

#include <new>

namespace {

// The device's bytes from here on, or nothing with `tooLarge` set when they pass the limit.
QByteArray readAllBounded(QIODevice& device, bool* tooLarge) {
    *tooLarge = false;
    if (!device.isSequential() && device.size() - device.pos() > SessionStream::largestStream) {
        *tooLarge = true;
        return QByteArray();
    }
    QByteArray bytes;
    char block[65536];
    for (;;) {
        const qint64 got = device.read(block, sizeof block);
        if (got <= 0)
            break;
        if (bytes.size() + got > SessionStream::largestStream) {
            *tooLarge = true;
            return QByteArray();
        }
        bytes.append(block, int(got));
    }
    return bytes;
}

}  // namespace

bool SessionStream::write(QIODevice& device, quint16 imageCheck, const QVariant& model,
                          Pictures pictures) {
    QDataStream out(&device);
    out.setVersion(currentVersion);
    out << qint32(magic) << qint32(currentVersion) << imageCheck;
    if (pictures == Pictures::Quick)
        return out.status() == QDataStream::Ok && QuickVariantWriter::write(out, model);
    out << model;
    return out.status() == QDataStream::Ok;
}

SessionStream::Contents SessionStream::read(QIODevice& device, const QList<int>& supportedVersions) {
    Contents contents;
    try {
        bool tooLarge = false;
        const QByteArray bytes = readAllBounded(device, &tooLarge);
        if (tooLarge) {
            contents.problem = QStringLiteral("the stream is longer than %1 bytes").arg(largestStream);
            return contents;
        }
        QDataStream in(bytes);
        in.setVersion(currentVersion);
        qint32 readMagic = 0;
        in >> readMagic;
        if (in.status() != QDataStream::Ok || readMagic != magic) {
            contents.problem = QStringLiteral("no session header");
            return contents;
        }
        in >> contents.version;
        if (in.status() != QDataStream::Ok) {
            contents.problem = QStringLiteral("header cut short");
            return contents;
        }
        if (!supportedVersions.contains(contents.version)) {
            contents.outcome = Outcome::UnsupportedVersion;
            contents.problem = QStringLiteral("format version %1").arg(contents.version);
            return contents;
        }
        in >> contents.imageCheck;
        contents.outcome = Outcome::BadModel;
        if (in.status() != QDataStream::Ok) {
            contents.problem = QStringLiteral("header cut short");
            return contents;
        }
        qint64 end = 0;
        if (!SessionStreamCheck::checkVariant(bytes, headerSize, &end, &contents.problem))
            return contents;
        QVariant model;
        in >> model;
        if (in.status() != QDataStream::Ok || !model.isValid()) {
            contents.problem = QStringLiteral("the session's map cannot be read");
            return contents;
        }
        contents.model = model;
        contents.outcome = Outcome::Read;
    } catch (const std::bad_alloc&) {
        contents.outcome = Outcome::BadModel;
        contents.model = QVariant();
        contents.problem = QStringLiteral("out of memory while reading");
    }
    return contents;
}
