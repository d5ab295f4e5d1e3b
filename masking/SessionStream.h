#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class QIODevice;

/// The byte form of a masking session: a big-endian header (magic 0x08E11602, the format
/// version, the source image's check) followed by the model's map as one `QVariant`, all as
/// a `QDataStream` of version 11 writes it. Bytes after the map are ignored.
class SessionStream {
public:
    static constexpr qint32 magic = 0x08E11602;
    static constexpr qint32 currentVersion = 11;
    static constexpr int headerSize = 10;
    /// A stream longer than this is refused before anything is read.
    static constexpr qint64 largestStream = qint64(1) << 30;

    enum class Outcome { Read, NotSession, UnsupportedVersion, BadModel };

    struct Contents {
        Outcome outcome = Outcome::NotSession;
        qint32 version = 0;
        quint16 imageCheck = 0;
        QVariant model;     ///< valid only when read
        QString problem;    ///< for the log: why the stream was refused
    };

    /// How the pictures of the map are compressed: `Standard` is Qt's own writer, for files
    /// the user keeps; `Quick` compresses lightly, several pictures at a time, for private
    /// temporary copies. Both read back alike, to the same pixels.
    enum class Pictures { Standard, Quick };

    /// Writes the header and `model`; false, with the reason in `problem` when given, when
    /// the device refused any of it, a picture could not be encoded, or a value of `model`
    /// would not read back (then nothing is written). Registers the streamed types itself.
    static bool write(QIODevice& device, quint16 imageCheck, const QVariant& model,
                      Pictures pictures = Pictures::Standard, QString* problem = nullptr);

    /// Reads a whole stream from the device's current position into memory and checks it
    /// before building anything: the header, then every count, length and picture size of
    /// the map against the bytes that are there. Never throws.
    static Contents read(QIODevice& device, const QList<int>& supportedVersions);
};
