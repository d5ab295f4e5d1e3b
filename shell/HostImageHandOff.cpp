#include "shell/HostImageHandOff.h"

#include "shell/HostPixelCopy.h"
#include "common/LogStream.h"
#include "common/PooledWork.h"

#include "platform/FileMapping.h"

#include <climits>
#include <new>
#include <string>
#include <utility>

namespace {

using zqplatform::SharedMapping;

/// A decimal integer that is the whole text: leading blanks and one sign allowed, nothing after
/// the digits. False for anything else and for values past 64 bits.
bool parseDecimal(const std::string& text, qint64& value) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    quint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        magnitude = magnitude * 10 + quint64(text[i] - '0');
        if (magnitude > quint64(LLONG_MAX))
            return false;
    }
    value = negative ? -qint64(magnitude) : qint64(magnitude);
    return true;
}

QString quoted(const std::string& text) {
    return QLatin1Char('"') + QString::fromStdString(text) + QLatin1Char('"');
}

void logLine(const QString& text) {
    beginLogLine() << text;
    endLogLine();
}

}  // namespace

HostImageHandOff::~HostImageHandOff() {
    if (taken_) {
        zqplatform::closeDescriptor(resultDescriptor_);
        zqplatform::closeDescriptor(inputDescriptor_);
    }
}

bool HostImageHandOff::refuse(const QString& reason) {
    refusal_ = reason;
    input_ = zqplatform::PageBuffer();
    second_ = zqplatform::PageBuffer();
    logLine(QStringLiteral("Host image refused: ") + reason);
    return false;
}

bool HostImageHandOff::intake(const std::vector<std::string>& arguments) {
    if (attempted_)
        return taken_;
    attempted_ = true;
    if (!parse(arguments) || !checkMappings())
        return false;
    // Taken: no program we start may inherit them (a browser would keep the host's memory).
    zqplatform::setCloseOnExec(resultDescriptor_);
    zqplatform::setCloseOnExec(inputDescriptor_);
    if (!copyIn())
        return false;
    taken_ = true;
    logLine(QStringLiteral("Host image \"%1\" taken: %2 x %3, %4 bits, byte order \"%5\"")
                .arg(imageName_)
                .arg(width_)
                .arg(height_)
                .arg(bits_)
                .arg(byteOrderTag_));
    return true;
}

bool HostImageHandOff::parse(const std::vector<std::string>& arguments) {
    if (arguments.size() != std::size_t(argumentCount))
        return refuse(QStringLiteral("%1 arguments, %2 expected")
                          .arg(arguments.size())
                          .arg(argumentCount));
    if (!zqplatform::parseDescriptorNumber(arguments[0].c_str(), resultDescriptor_))
        return refuse(QStringLiteral("the result handle %1 is not a descriptor number")
                          .arg(quoted(arguments[0])));
    if (!zqplatform::parseDescriptorNumber(arguments[1].c_str(), inputDescriptor_))
        return refuse(QStringLiteral("the input handle %1 is not a descriptor number")
                          .arg(quoted(arguments[1])));
    qint64 width = 0, height = 0, bits = 0;
    if (!parseDecimal(arguments[2], width) || !parseDecimal(arguments[3], height) ||
        !parseDecimal(arguments[4], bits))
        return refuse(QStringLiteral("width %1, height %2 and depth %3 must be decimal numbers")
                          .arg(quoted(arguments[2]), quoted(arguments[3]), quoted(arguments[4])));
    if (width <= 0 || height <= 0)
        return refuse(QStringLiteral("the size %1 x %2 is not positive").arg(width).arg(height));
    if (bits != 8 && bits != 16)
        return refuse(QStringLiteral("%1 bits per channel: only 8 and 16 are handed over")
                          .arg(bits));
    // The display image is a 32-bit QImage of the same size: its row and whole size are ints;
    // so is a row of the 16-bit buffer.
    constexpr qint64 largest = INT_MAX;
    if (width > largest / (4 * (bits / 8)) || height > largest / (width * 4))
        return refuse(QStringLiteral("the size %1 x %2 is too large for an image")
                          .arg(width)
                          .arg(height));
    width_ = int(width);
    height_ = int(height);
    bits_ = int(bits);
    byteOrderTag_ = QString::fromStdString(arguments[5]);
    imageName_ = QString::fromUtf8(arguments[6].data(), int(arguments[6].size()));
    return true;
}

bool HostImageHandOff::checkMappings() {
    zqplatform::DescriptorFacts result, input;
    std::string error;
    if (!zqplatform::describeDescriptor(resultDescriptor_, result, error))
        return refuse(QStringLiteral("result mapping: ") + QString::fromStdString(error));
    if (!zqplatform::describeDescriptor(inputDescriptor_, input, error))
        return refuse(QStringLiteral("input mapping: ") + QString::fromStdString(error));
    // Writing the result would change the host's input.
    if (result.device == input.device && result.inode == input.inode)
        return refuse(QStringLiteral("the input and the result are the same mapping"));
    const std::uint64_t needed = imageBytes();
    if (result.size < needed || input.size < needed)
        return refuse(QStringLiteral("the input holds %1 bytes and the result %2 bytes; %3 x %4 "
                                     "pixels of %5 bits need %6")
                          .arg(input.size)
                          .arg(result.size)
                          .arg(width_)
                          .arg(height_)
                          .arg(bits_)
                          .arg(needed));
    return true;
}

bool HostImageHandOff::copyIn() {
    const std::uint64_t bytes = imageBytes();
    const std::uint64_t pixels = std::uint64_t(width_) * std::uint64_t(height_);
    const bool swap = swapsBytes();
    const int bits = bits_;
    // The two images share nothing: each is mapped, given its buffer (the kernel clears and
    // maps every page of it) and converted on a thread of its own, which halves the wait.
    struct Side {
        int descriptor;
        zqplatform::PageBuffer buffer;
        std::string mappingError;
        bool outOfMemory = false;
    };
    Side input{inputDescriptor_, {}, {}};
    Side result{resultDescriptor_, {}, {}};
    auto take = [bytes, pixels, swap, bits](Side& side) noexcept {
        SharedMapping mapping(side.descriptor, bytes, SharedMapping::ReadOnly);
        if (!mapping.isMapped()) {
            try {
                side.mappingError = mapping.error();
            } catch (...) {
                side.outOfMemory = true;
            }
            return;
        }
        try {
            side.buffer = zqplatform::PageBuffer(bytes);
        } catch (const std::bad_alloc&) {
            side.outOfMemory = true;
            return;
        }
        if (bits == 8)
            copyHostPixels8(mapping.data(), side.buffer.data(), pixels);
        else
            copyHostPixels16(mapping.data(), side.buffer.data(), pixels, swap);
    };
    // The two sides are copied at once, one of them on a helper thread when one is to be had.
    runPooled(2, 1, [&](int side) { take(side == 0 ? input : result); });
    if (!input.mappingError.empty())
        return refuse(QStringLiteral("input mapping: ") + QString::fromStdString(input.mappingError));
    if (!result.mappingError.empty())
        return refuse(QStringLiteral("result mapping: ") + QString::fromStdString(result.mappingError));
    if (input.outOfMemory || result.outOfMemory)
        return refuse(QStringLiteral("not enough memory for two images of %1 bytes").arg(bytes));
    input_ = std::move(input.buffer);
    second_ = std::move(result.buffer);
    return true;
}

bool HostImageHandOff::writeBack() {
    if (written_)
        return true;
    if (!taken_) {
        logLine(QStringLiteral("Host hand-back: no host image was taken, nothing written"));
        return false;
    }
    SharedMapping result(resultDescriptor_, imageBytes(), SharedMapping::ReadWrite);
    if (!result.isMapped()) {
        logLine(QStringLiteral("Host hand-back failed, nothing written: ") +
                QString::fromStdString(result.error()));
        return false;
    }
    const std::uint64_t pixels = std::uint64_t(width_) * std::uint64_t(height_);
    if (bits_ == 8)
        copyHostPixels8(second_.data(), result.writableData(), pixels);
    else
        copyHostPixels16(second_.data(), result.writableData(), pixels, swapsBytes());
    written_ = true;
    logLine(QStringLiteral("Host hand-back: result written"));
    return true;
}

std::uint64_t HostImageHandOff::imageBytes() const {
    return std::uint64_t(width_) * std::uint64_t(height_) * 4u * std::uint64_t(bits_ / 8);
}

bool HostImageHandOff::swapsBytes() const {
    return byteOrderTag_ != QLatin1String("little");
}

HostPixelView HostImageHandOff::viewOf(unsigned char* data) const {
    HostPixelView view;
    if (!taken_)
        return view;
    view.width = width_;
    view.height = height_;
    view.bitsPerChannel = bits_;
    view.stride = width_ * 4 * (bits_ / 8);
    view.data = data;
    return view;
}

HostPixelView HostImageHandOff::inputView() { return viewOf(input_.data()); }

HostPixelView HostImageHandOff::secondView() { return viewOf(second_.data()); }
