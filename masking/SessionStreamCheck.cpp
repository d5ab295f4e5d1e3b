#include "masking/SessionStreamCheck.h"

#include <QColor>
#include <QPainterPath>
#include <QtEndian>

#include <limits>

namespace {

constexpr int deepestNesting = 32;

// Type numbers as a version 11 stream spells them.
enum StreamType : quint32 {
    Invalid = 0, Bool = 1, Int = 2, UInt = 3, LongLong = 4, ULongLong = 5, Double = 6,
    Map = 8, List = 9, String = 10, StringList = 11, ByteArray = 12, Rect = 19, RectF = 20,
    Size = 21, SizeF = 22, Point = 25, PointF = 26, Pixmap = 65, Color = 67, Image = 70,
    Bitmap = 73, User = 127, Float = 135
};

class Walker {
public:
    Walker(const QByteArray& bytes, qint64 at) : data_(bytes), at_(at) {}

    qint64 at() const { return at_; }
    QString problem;

    bool variant(int depth) {
        if (depth > deepestNesting)
            return fail(QStringLiteral("values nested too deeply"));
        quint32 type = 0;
        if (!u32(type) || !skip(1))   // the type, then the null flag
            return fail(QStringLiteral("value cut short"));
        switch (type) {
        case Invalid: return string();   // an invalid value carries an empty string
        case Bool: return skipOrFail(1);
        case Int: case UInt: case Float: return skipOrFail(4);
        case LongLong: case ULongLong: case Double: return skipOrFail(8);
        case Point: case Size: return skipOrFail(8);
        case Rect: case PointF: case SizeF: return skipOrFail(16);
        case RectF: return skipOrFail(32);
        case Color: return colour();
        case String: return string();
        case ByteArray: return byteArray(nullptr);
        case StringList: return counted(4, [this] { return string(); });
        case List: return counted(5, [this, depth] { return variant(depth + 1); });
        case Map: return counted(9, [this, depth] { return string() && variant(depth + 1); });
        case Image: case Bitmap: case Pixmap: return picture();
        case User: return userValue();
        default:
            return fail(QStringLiteral("value of unexpected type %1").arg(type));
        }
    }

private:
    qint64 left() const { return data_.size() - at_; }

    bool fail(const QString& why) {
        if (problem.isEmpty())
            problem = QStringLiteral("%1 at byte %2").arg(why).arg(at_);
        return false;
    }

    bool skip(qint64 n) {
        if (n < 0 || n > left())
            return false;
        at_ += n;
        return true;
    }

    bool skipOrFail(qint64 n) { return skip(n) || fail(QStringLiteral("value cut short")); }

    bool u32(quint32& value) {
        if (left() < 4)
            return false;
        value = qFromBigEndian<quint32>(data_.constData() + at_);
        at_ += 4;
        return true;
    }

    bool string() {
        quint32 length = 0;
        if (!u32(length))
            return fail(QStringLiteral("text cut short"));
        if (length == 0xFFFFFFFFu)
            return true;
        if (length % 2 != 0 || qint64(length) > left())
            return fail(QStringLiteral("text length %1 beyond the data").arg(length));
        at_ += length;
        return true;
    }

    bool byteArray(QByteArray* out) {
        quint32 length = 0;
        if (!u32(length))
            return fail(QStringLiteral("bytes cut short"));
        if (length == 0xFFFFFFFFu)
            return true;
        if (qint64(length) > left())
            return fail(QStringLiteral("byte length %1 beyond the data").arg(length));
        if (out)
            *out = data_.mid(int(at_), int(length));
        at_ += length;
        return true;
    }

    // A kind byte (Invalid, Rgb, Hsv, Cmyk, Hsl or ExtendedRgb), then alpha, red, green, blue and
    // a padding word. Qt takes the kind byte into its enum unchecked, and a value outside the enum
    // is undefined behaviour on every copy.
    bool colour() {
        if (left() < 11)
            return fail(QStringLiteral("value cut short"));
        const qint8 kind = qint8(data_[int(at_)]);
        if (kind < QColor::Invalid || kind > QColor::ExtendedRgb)
            return fail(QStringLiteral("colour of unknown kind %1").arg(kind));
        at_ += 11;
        return true;
    }

    // A count followed by that many elements, each at least `smallest` bytes long.
    template <typename Element>
    bool counted(qint64 smallest, Element element) {
        quint32 count = 0;
        if (!u32(count))
            return fail(QStringLiteral("count cut short"));
        if (qint64(count) * smallest > left())
            return fail(QStringLiteral("count %1 beyond the data").arg(count));
        for (quint32 i = 0; i < count; ++i)
            if (!element())
                return false;
        return true;
    }

    bool userValue() {
        QByteArray name;
        if (!byteArray(&name))
            return false;
        if (name.endsWith('\0'))
            name.chop(1);
        quint32 count = 0;
        if (name == "QPolygonF") {
            if (!u32(count) || qint64(count) * 16 > left())
                return fail(QStringLiteral("polygon of %1 points beyond the data").arg(count));
            at_ += qint64(count) * 16;
            return true;
        }
        if (name == "QPainterPath")
            return path();
        return fail(QStringLiteral("value of unexpected type \"%1\"")
                        .arg(QString::fromLatin1(name.left(64))));
    }

    // A path as Qt reads it: an element count; an empty path is that count, 0, alone. Otherwise
    // the elements (a type and two doubles each), the index of the element that starts the last
    // subpath and the fill rule. Qt reads a negative count as no elements and then builds a path
    // without even its first point; it takes the types, the index and the fill rule unchecked.
    bool path() {
        quint32 count = 0;
        if (!u32(count))
            return fail(QStringLiteral("path cut short"));
        if (count == 0)
            return true;
        if (count > quint32(std::numeric_limits<qint32>::max()) || qint64(count) * 20 + 8 > left())
            return fail(QStringLiteral("path of %1 elements beyond the data").arg(count));
        for (quint32 i = 0; i < count; ++i, at_ += 20) {
            const quint32 type = qFromBigEndian<quint32>(data_.constData() + at_);
            if (type > QPainterPath::CurveToDataElement)
                return fail(QStringLiteral("path element of unknown type %1").arg(type));
        }
        const quint32 subpathStart = qFromBigEndian<quint32>(data_.constData() + at_);
        const quint32 fillRule = qFromBigEndian<quint32>(data_.constData() + at_ + 4);
        if (subpathStart >= count)
            return fail(QStringLiteral("path whose last subpath starts at element %1 of %2")
                            .arg(subpathStart).arg(count));
        if (fillRule > Qt::WindingFill)
            return fail(QStringLiteral("path of unknown fill rule %1").arg(fillRule));
        at_ += 8;
        return true;
    }

    // A picture: a flag (0: none), then a whole PNG file, walked chunk by chunk.
    bool picture() {
        quint32 present = 0;
        if (!u32(present))
            return fail(QStringLiteral("picture cut short"));
        if (present == 0)
            return true;
        static const char signature[] = "\x89PNG\r\n\x1a\n";
        if (left() < 8 || data_.mid(int(at_), 8) != QByteArray(signature, 8))
            return fail(QStringLiteral("picture that is no PNG"));
        at_ += 8;
        bool first = true;
        for (;;) {
            quint32 length = 0;
            if (!u32(length) || left() < 4)
                return fail(QStringLiteral("picture cut short"));
            const QByteArray tag = data_.mid(int(at_), 4);
            at_ += 4;
            if (qint64(length) + 4 > left())
                return fail(QStringLiteral("picture chunk of %1 bytes beyond the data").arg(length));
            if (first) {
                if (tag != "IHDR" || length < 8)
                    return fail(QStringLiteral("picture without its header"));
                const quint32 width = qFromBigEndian<quint32>(data_.constData() + at_);
                const quint32 height = qFromBigEndian<quint32>(data_.constData() + at_ + 4);
                if (width == 0 || height == 0 || width > quint32(SessionStreamCheck::largestSide)
                    || height > quint32(SessionStreamCheck::largestSide)
                    || qint64(width) * qint64(height) > SessionStreamCheck::largestPixelCount)
                    return fail(QStringLiteral("picture of %1 x %2 pixels").arg(width).arg(height));
                first = false;
            }
            at_ += qint64(length) + 4;   // the data and its check sum
            if (tag == "IEND")
                return true;
        }
    }

    const QByteArray& data_;
    qint64 at_;
};

}  // namespace

bool SessionStreamCheck::checkVariant(const QByteArray& bytes, qint64 offset, qint64* end,
                                      QString* problem) {
    Walker walker(bytes, offset);
    const bool ok = walker.variant(0);
    if (end)
        *end = walker.at();
    if (!ok && problem)
        *problem = walker.problem;
    return ok;
}
