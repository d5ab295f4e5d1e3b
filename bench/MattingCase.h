#pragma once

// A matting case of the bench data (photo, trimap, true alpha) as engine arrays, shared by
// the matting benchmark and the matting accuracy test. Qt only reads the PNG files.
//
// Qt first: Blitz++ defines a macro CT that breaks Qt's colour header.
#include <QImage>
#include <QString>

#include "classification/GenerateMaskLayer.h"
#include "classification/MaskStatus.h"

#include <blitz/array.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace zqbench {

/// One case at `imageScale` times its size (pixels repeated), with statuses at 1 / `statusScale`
/// of the image's resolution as the masking tools would leave them for a matting layer over
/// the whole picture: trimap 255 keep, 0 delete, the band unmarked, every status pending.
/// Channel values are widened to the format's range the way 8-bit values are.
template <class Format>
struct MattingCase {
    typename Format::Image image;
    blitz::Array<unsigned char, 2> status;
    blitz::Array<unsigned char, 2> trimap;   // at image resolution
    blitz::Array<unsigned char, 2> truth;    // true alpha, at image resolution

    MattingCase(const std::string& folder, int imageScale, int statusScale) {
        const QString base = QString::fromStdString(folder) + "/";
        const QImage photo = QImage(base + "image.png").convertToFormat(QImage::Format_RGB32);
        const QImage marks = QImage(base + "trimap.png").convertToFormat(QImage::Format_Grayscale8);
        const QImage alpha = QImage(base + "alpha.png").convertToFormat(QImage::Format_Grayscale8);
        if (photo.isNull() || marks.isNull() || alpha.isNull() || marks.size() != photo.size()
            || alpha.size() != photo.size())
            throw std::runtime_error("matting case missing or inconsistent: " + folder);

        const int rows = photo.height() * imageScale, columns = photo.width() * imageScale;
        const double widen = Format::maximum == 255     ? 1.0
                             : Format::maximum == 65535 ? 257.0
                                                        : 32768.0 / 255.0;
        const auto channel = [widen](int v) {
            return static_cast<typename Format::Channel>(std::lround(v * widen));
        };
        image.resize(rows, columns);
        trimap.resize(rows, columns);
        truth.resize(rows, columns);
        for (int i = 0; i < rows; ++i) {
            const QRgb* line = reinterpret_cast<const QRgb*>(photo.constScanLine(i / imageScale));
            const uchar* markLine = marks.constScanLine(i / imageScale);
            const uchar* alphaLine = alpha.constScanLine(i / imageScale);
            for (int j = 0; j < columns; ++j) {
                const QRgb p = line[j / imageScale];
                image(i, j) = typename Format::Pixel(channel(qRed(p)), channel(qGreen(p)),
                                                     channel(qBlue(p)), Format::maximum);
                trimap(i, j) = markLine[j / imageScale];
                truth(i, j) = alphaLine[j / imageScale];
            }
        }
        status.resize(rows / statusScale, columns / statusScale);
        for (int i = 0; i < status.rows(); ++i)
            for (int j = 0; j < status.columns(); ++j) {
                const unsigned char t = trimap(i * statusScale, j * statusScale);
                const unsigned char mark = t == 255 ? classification::statusKeep
                                           : t == 0 ? classification::statusDelete
                                                    : 0;
                status(i, j) = static_cast<unsigned char>(classification::statusPending | mark);
            }
    }

    /// A matting layer over every status, with the given details.
    static classification::GenerateMaskLayer layer(float foregroundDetail, float backgroundDetail) {
        classification::GenerateMaskLayer layer;
        layer.mattingLayer = true;
        layer.foregroundDetail = foregroundDetail;
        layer.backgroundDetail = backgroundDetail;
        return layer;
    }

    classification::IntBox statusBox() const {
        return classification::IntBox(0, 0, status.rows() - 1, status.columns() - 1);
    }
};

/// The usual error figures over the trimap's unknown band (128): SAD, the sum of
/// |alpha - truth| with alpha in 0..1, in thousands; MSE, the mean squared error times 1000.
struct MattingError {
    double sad = 0.0;
    double mse = 0.0;
};

template <class Format, class Case>
MattingError matteError(const typename Format::Image& output, const Case& mattingCase) {
    MattingError error;
    long band = 0;
    for (int i = 0; i < output.rows(); ++i)
        for (int j = 0; j < output.columns(); ++j) {
            if (mattingCase.trimap(i, j) != 128)
                continue;
            const double difference = static_cast<double>(output(i, j)[3]) / Format::maximum
                                      - mattingCase.truth(i, j) / 255.0;
            error.sad += std::fabs(difference);
            error.mse += difference * difference;
            ++band;
        }
    error.sad /= 1000.0;
    error.mse = band > 0 ? error.mse / static_cast<double>(band) * 1000.0 : 0.0;
    return error;
}

}  // namespace zqbench
