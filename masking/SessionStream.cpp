#include "masking/SessionStream.h"

#include "masking/QuickVariantWriter.h"
#include "masking/SessionStreamCheck.h"
#include "common/StreamedTypes.h"

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

// Whether every value inside `value` reads back: each one that is neither a container nor a
// picture is streamed on its own and walked as the reader walks it. Qt writes a type it has no
// stream operators for as its name alone and leaves the stream's status Ok, so the bytes are
// all there is to go by. Pictures are left out: Qt writes each of them as a PNG file.
bool readsBack(const QVariant& value, QString* problem) {
    switch (value.userType()) {
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
            if (!readsBack(it.value(), problem)) {
                *problem = it.key() + QStringLiteral(": ") + *problem;
                return false;
            }
        }
        return true;
    }
    case QMetaType::QVariantList: {
        const QVariantList list = value.toList();
        for (const QVariant& element : list)
            if (!readsBack(element, problem))
                return false;
        return true;
    }
    case QMetaType::QImage:
    case QMetaType::QPixmap:
    case QMetaType::QBitmap:
        return true;
    default:
        break;
    }
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(SessionStream::currentVersion);
        out << value;
    }
    qint64 end = 0;
    QString why;
    if (SessionStreamCheck::checkVariant(bytes, 0, &end, &why) && end == bytes.size())
        return true;
    *problem = QStringLiteral("a value of type %1 would not read back (%2)")
                   .arg(QString::fromLatin1(value.typeName()),
                        why.isEmpty() ? QStringLiteral("bytes left over") : why);
    return false;
}

}  // namespace

bool SessionStream::write(QIODevice& device, quint16 imageCheck, const QVariant& model,
                          Pictures pictures, QString* problem) {
    QString refusal;
    QString& why = problem ? *problem : refusal;
    // The session's maps hold paths and polygons; a writer whose caller has not registered
    // them would otherwise write their names without their points.
    static const bool registered = (registerStreamedTypes(), true);
    (void)registered;
    if (!readsBack(model, &why))
        return false;
    QDataStream out(&device);
    out.setVersion(currentVersion);
    out << qint32(magic) << qint32(currentVersion) << imageCheck;
    bool written = false;
    if (pictures == Pictures::Quick) {
        written = out.status() == QDataStream::Ok && QuickVariantWriter::write(out, model);
    } else {
        out << model;
        written = out.status() == QDataStream::Ok;
    }
    if (!written)
        why = QStringLiteral("the device refused the bytes, or a picture could not be encoded");
    return written;
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
