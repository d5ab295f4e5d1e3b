#pragma once

#include "platform/FileMapping.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <string>
#include <vector>

/// One of the two images of a host run as this program holds it: four interleaved channels a
/// pixel in the order blue, green, red, alpha, 8 or 16 bits each (16-bit words in native
/// order), rows packed one after the other.
struct HostPixelView {
    int width = 0;
    int height = 0;
    int bitsPerChannel = 0;
    int stride = 0;                 ///< bytes from one row to the next
    unsigned char* data = nullptr;  ///< null when no image was taken
};

/// The image exchange with a host image editor's plug-in. The plug-in leaves two memory files
/// open for us and names their descriptors on the command line: the input (the picture to be
/// masked, which we only read) and the result (read at start as the second image, written at
/// the end when the user accepted). Each holds width x height pixels of four channels, red,
/// green, blue, alpha, rows packed, no header; 16-bit words come least significant byte first
/// when the byte-order tag is exactly "little", else most significant byte first.
///
/// Anything that does not fit (not a number, a size that is not positive, a depth other than
/// 8 or 16, a descriptor that is not open or holds too few bytes, two descriptors naming the
/// same file, an image too large for a QImage) refuses the hand-off: the reason is logged and
/// nothing is mapped, kept or ever written.
class HostImageHandOff {
public:
    /// How many arguments follow "--gp": result descriptor, input descriptor (hexadecimal),
    /// width, height, bits per channel (decimal), byte-order tag and the image's name (UTF-8).
    static constexpr int argumentCount = 7;

    HostImageHandOff() = default;
    /// Closes the two descriptors when they were taken.
    ~HostImageHandOff();

    HostImageHandOff(const HostImageHandOff&) = delete;
    HostImageHandOff& operator=(const HostImageHandOff&) = delete;

    /// Checks the arguments and copies both mappings into buffers of our own. True when both
    /// images were taken; false, with `refusal` set and logged, otherwise. Runs once.
    bool intake(const std::vector<std::string>& arguments);

    /// Copies the second image back into the result mapping, in the host's channel and byte
    /// order. False, logged, when nothing was taken or the mapping cannot be written in full;
    /// then not one byte is written. The result is written at most once.
    bool writeBack();

    bool imagesTaken() const { return taken_; }
    bool resultWritten() const { return written_; }
    /// Why the intake refused, empty otherwise.
    const QString& refusal() const { return refusal_; }

    int width() const { return width_; }
    int height() const { return height_; }
    int bitsPerChannel() const { return bits_; }
    const QString& byteOrderTag() const { return byteOrderTag_; }
    const QString& imageName() const { return imageName_; }

    /// The host's input picture, to be masked.
    HostPixelView inputView();
    /// The second image: what the result mapping held at start, and what goes back to it.
    HostPixelView secondView();

private:
    bool refuse(const QString& reason);
    bool parse(const std::vector<std::string>& arguments);
    bool checkMappings();
    bool copyIn();
    std::uint64_t imageBytes() const;
    bool swapsBytes() const;
    HostPixelView viewOf(unsigned char* data) const;

    int resultDescriptor_ = -1;
    int inputDescriptor_ = -1;
    int width_ = 0;
    int height_ = 0;
    int bits_ = 0;
    QString byteOrderTag_;
    QString imageName_;
    // The pixels of the depth: 8-bit channels, or 16-bit channels as native words. Page
    // aligned, so each row of 4-byte pixels is aligned as a QImage wants it.
    zqplatform::PageBuffer input_;
    zqplatform::PageBuffer second_;
    bool attempted_ = false;
    bool taken_ = false;
    bool written_ = false;
    QString refusal_;
};
