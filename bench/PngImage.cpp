#include "PngImage.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zqbench {

namespace {

[[noreturn]] void fail(const std::string& why) { throw std::runtime_error("PNG: " + why); }

/// Reads the bits of a deflate stream, least significant first.
class BitReader {
public:
    BitReader(const std::vector<std::uint8_t>& data, std::size_t start) : data_(data), position_(start) {}

    int bits(int count) {
        int value = 0;
        for (int k = 0; k < count; ++k)
            value |= bit() << k;
        return value;
    }
    int bit() {
        if (position_ >= data_.size())
            fail("compressed data ends early");
        const int value = (data_[position_] >> bitIndex_) & 1;
        if (++bitIndex_ == 8) {
            bitIndex_ = 0;
            ++position_;
        }
        return value;
    }
    void alignToByte() {
        if (bitIndex_ != 0) {
            bitIndex_ = 0;
            ++position_;
        }
    }
    std::uint8_t byte() {
        if (position_ >= data_.size())
            fail("compressed data ends early");
        return data_[position_++];
    }

private:
    const std::vector<std::uint8_t>& data_;
    std::size_t position_;
    int bitIndex_ = 0;
};

/// A canonical Huffman code: how many codes of each length, and the symbols in code order.
struct Huffman {
    std::array<int, 16> counts{};
    std::vector<int> symbols;

    explicit Huffman(const std::vector<int>& lengths) {
        for (int length : lengths)
            ++counts[static_cast<std::size_t>(length)];
        counts[0] = 0;
        std::array<int, 16> offsets{};
        for (int length = 1; length < 16; ++length)
            offsets[length] = offsets[length - 1] + counts[length - 1];
        symbols.resize(lengths.size());
        for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol)
            if (lengths[symbol] != 0)
                symbols[static_cast<std::size_t>(offsets[lengths[symbol]]++)] = static_cast<int>(symbol);
    }

    int decode(BitReader& in) const {
        int code = 0, first = 0, index = 0;
        for (int length = 1; length < 16; ++length) {
            code |= in.bit();
            const int count = counts[static_cast<std::size_t>(length)];
            if (code - first < count)
                return symbols[static_cast<std::size_t>(index + code - first)];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        fail("bad Huffman code");
    }
};

const int lengthBase[29] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27,
                            31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const int lengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                             2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const int distanceBase[30] = {1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129,
                              193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097,
                              6145, 8193, 12289, 16385, 24577};
const int distanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                               6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void inflateBlock(BitReader& in, const Huffman& literals, const Huffman& distances,
                  std::vector<std::uint8_t>& out) {
    for (;;) {
        const int symbol = literals.decode(in);
        if (symbol < 256) {
            out.push_back(static_cast<std::uint8_t>(symbol));
            continue;
        }
        if (symbol == 256)
            return;
        const int lengthCode = symbol - 257;
        if (lengthCode >= 29)
            fail("bad length code");
        const int length = lengthBase[lengthCode] + in.bits(lengthExtra[lengthCode]);
        const int distanceCode = distances.decode(in);
        if (distanceCode >= 30)
            fail("bad distance code");
        const std::size_t distance =
            static_cast<std::size_t>(distanceBase[distanceCode] + in.bits(distanceExtra[distanceCode]));
        if (distance > out.size())
            fail("distance before the start");
        for (int k = 0; k < length; ++k)
            out.push_back(out[out.size() - distance]);
    }
}

void readDynamicCodes(BitReader& in, std::vector<int>& literalLengths, std::vector<int>& distanceLengths) {
    const int literalCount = in.bits(5) + 257;
    const int distanceCount = in.bits(5) + 1;
    const int codeLengthCount = in.bits(4) + 4;
    static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    std::vector<int> codeLengths(19, 0);
    for (int k = 0; k < codeLengthCount; ++k)
        codeLengths[static_cast<std::size_t>(order[k])] = in.bits(3);
    const Huffman lengthCode(codeLengths);
    std::vector<int> lengths;
    while (static_cast<int>(lengths.size()) < literalCount + distanceCount) {
        const int symbol = lengthCode.decode(in);
        if (symbol < 16) {
            lengths.push_back(symbol);
        } else if (symbol == 16) {
            if (lengths.empty())
                fail("repeat without a length");
            lengths.insert(lengths.end(), static_cast<std::size_t>(3 + in.bits(2)), lengths.back());
        } else {
            const int zeros = symbol == 17 ? 3 + in.bits(3) : 11 + in.bits(7);
            lengths.insert(lengths.end(), static_cast<std::size_t>(zeros), 0);
        }
    }
    if (static_cast<int>(lengths.size()) != literalCount + distanceCount)
        fail("code lengths overrun");
    literalLengths.assign(lengths.begin(), lengths.begin() + literalCount);
    distanceLengths.assign(lengths.begin() + literalCount, lengths.end());
}

std::vector<std::uint8_t> inflateZlib(const std::vector<std::uint8_t>& data) {
    if (data.size() < 2 || (data[0] & 0x0f) != 8)
        fail("not a deflate stream");
    BitReader in(data, 2);
    std::vector<std::uint8_t> out;
    for (bool last = false; !last;) {
        last = in.bit() != 0;
        const int type = in.bits(2);
        if (type == 0) {
            in.alignToByte();
            const int length = in.byte() | (in.byte() << 8);
            in.byte();
            in.byte();
            for (int k = 0; k < length; ++k)
                out.push_back(in.byte());
        } else if (type == 1) {
            std::vector<int> literalLengths(288, 8);
            std::fill(literalLengths.begin() + 144, literalLengths.begin() + 256, 9);
            std::fill(literalLengths.begin() + 256, literalLengths.begin() + 280, 7);
            inflateBlock(in, Huffman(literalLengths), Huffman(std::vector<int>(30, 5)), out);
        } else if (type == 2) {
            std::vector<int> literalLengths, distanceLengths;
            readDynamicCodes(in, literalLengths, distanceLengths);
            inflateBlock(in, Huffman(literalLengths), Huffman(distanceLengths), out);
        } else {
            fail("bad block type");
        }
    }
    return out;
}

std::uint32_t bigEndian(const std::vector<std::uint8_t>& data, std::size_t at) {
    return (std::uint32_t(data[at]) << 24) | (std::uint32_t(data[at + 1]) << 16) |
           (std::uint32_t(data[at + 2]) << 8) | std::uint32_t(data[at + 3]);
}

int paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

}  // namespace

PngImage readPng(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        fail("cannot open " + path);
    const std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (data.size() < 8 || !std::equal(signature, signature + 8, data.begin()))
        fail("not a PNG file");
    PngImage image;
    std::vector<std::uint8_t> compressed;
    for (std::size_t at = 8; at + 12 <= data.size();) {
        const std::uint32_t length = bigEndian(data, at);
        if (at + 12 + length > data.size())
            fail("truncated chunk");
        const std::string type(data.begin() + static_cast<long>(at + 4), data.begin() + static_cast<long>(at + 8));
        const std::size_t body = at + 8;
        if (type == "IHDR") {
            image.width = static_cast<int>(bigEndian(data, body));
            image.height = static_cast<int>(bigEndian(data, body + 4));
            const int depth = data[body + 8], colourType = data[body + 9], interlace = data[body + 12];
            image.channels = colourType == 0 ? 1 : colourType == 2 ? 3 : colourType == 6 ? 4 : 0;
            if (depth != 8 || image.channels == 0 || interlace != 0)
                fail("only non-interlaced 8-bit grey, RGB and RGBA images are read");
        } else if (type == "IDAT") {
            compressed.insert(compressed.end(), data.begin() + static_cast<long>(body),
                              data.begin() + static_cast<long>(body + length));
        } else if (type == "IEND") {
            break;
        }
        at = body + length + 4;
    }
    const std::vector<std::uint8_t> raw = inflateZlib(compressed);
    const std::size_t stride = static_cast<std::size_t>(image.width) * image.channels;
    if (image.width <= 0 || image.height <= 0 || raw.size() < (stride + 1) * image.height)
        fail("image data too short");
    image.pixels.resize(stride * image.height);
    const int bpp = image.channels;
    for (int row = 0; row < image.height; ++row) {
        const std::uint8_t filter = raw[row * (stride + 1)];
        const std::uint8_t* in = &raw[row * (stride + 1) + 1];
        std::uint8_t* out = &image.pixels[row * stride];
        const std::uint8_t* up = row > 0 ? out - stride : nullptr;
        for (std::size_t k = 0; k < stride; ++k) {
            const int a = k >= static_cast<std::size_t>(bpp) ? out[k - bpp] : 0;
            const int b = up ? up[k] : 0;
            const int c = up && k >= static_cast<std::size_t>(bpp) ? up[k - bpp] : 0;
            int predicted = 0;
            switch (filter) {
            case 0: predicted = 0; break;
            case 1: predicted = a; break;
            case 2: predicted = b; break;
            case 3: predicted = (a + b) / 2; break;
            case 4: predicted = paeth(a, b, c); break;
            default: fail("bad row filter");
            }
            out[k] = static_cast<std::uint8_t>(in[k] + predicted);
        }
    }
    return image;
}

}  // namespace zqbench
