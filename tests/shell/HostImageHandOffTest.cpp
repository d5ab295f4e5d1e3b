#include "HostMemoryFile.h"

#include "shell/HostImageHandOff.h"
#include "platform/FileMapping.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

using Bytes = std::vector<unsigned char>;

std::vector<std::string> handOffArguments(const HostMemoryFile& result, const HostMemoryFile& input,
                                          int width, int height, int bits, const char* tag,
                                          const char* name = "picture.tif") {
    return {result.handle(), input.handle(), std::to_string(width), std::to_string(height),
            std::to_string(bits), tag, name};
}

Bytes viewBytes(const HostPixelView& view) {
    if (!view.data)
        return Bytes();
    return Bytes(view.data, view.data + std::size_t(view.stride) * std::size_t(view.height));
}

/// A pixel in the host's order red, green, blue, alpha, 16-bit channels given as numbers.
Bytes hostPixel16(unsigned red, unsigned green, unsigned blue, unsigned alpha, bool bigEndian) {
    Bytes bytes;
    for (unsigned value : {red, green, blue, alpha}) {
        const unsigned char high = static_cast<unsigned char>(value >> 8);
        const unsigned char low = static_cast<unsigned char>(value & 0xFF);
        if (bigEndian) {
            bytes.push_back(high);
            bytes.push_back(low);
        } else {
            bytes.push_back(low);
            bytes.push_back(high);
        }
    }
    return bytes;
}

/// The same pixel as our buffers hold it: blue, green, red, alpha, native little-endian words.
Bytes ownPixel16(unsigned red, unsigned green, unsigned blue, unsigned alpha) {
    return hostPixel16(blue, green, red, alpha, false);
}

Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(HostImageHandOff, OnePixelOfEightBitsComesInReorderedAndGoesBackAsItCame) {
    HostMemoryFile input({10, 20, 30, 255});
    HostMemoryFile result({1, 2, 3, 4});
    ASSERT_TRUE(input.ready() && result.ready());
    HostImageHandOff handOff;
    ASSERT_TRUE(handOff.intake(handOffArguments(result, input, 1, 1, 8, "big", "écran")))
        << handOff.refusal().toStdString();
    EXPECT_EQ(viewBytes(handOff.inputView()), (Bytes{30, 20, 10, 255}));
    EXPECT_EQ(viewBytes(handOff.secondView()), (Bytes{3, 2, 1, 4}));
    EXPECT_EQ(handOff.imageName(), QString::fromUtf8("écran"));
    EXPECT_EQ(handOff.inputView().stride, 4);

    // The user's result: the input pixel itself.
    std::memcpy(handOff.secondView().data, handOff.inputView().data, 4);
    ASSERT_TRUE(handOff.writeBack());
    EXPECT_EQ(result.content(), (Bytes{10, 20, 30, 255}));
    EXPECT_EQ(input.content(), (Bytes{10, 20, 30, 255}));
}

struct DepthCase {
    const char* name;
    const char* tag;
    bool bigEndian;   // how the host writes its words under this tag
};

class SixteenBitOrders : public ::testing::TestWithParam<DepthCase> {};

// The tag gives the byte order of both mappings in both directions; the host's memory is only
// read at start, and a pixel nobody touched comes back byte for byte.
TEST_P(SixteenBitOrders, WordsAreSwappedWhileCopyingInBothDirections) {
    const bool big = GetParam().bigEndian;
    const Bytes hostInput = joined({hostPixel16(0x0102, 0x0304, 0x0506, 0xFFFE, big),
                                    hostPixel16(0x8000, 0x0001, 0x7FFF, 0x1234, big)});
    const Bytes hostSecond = joined({hostPixel16(0x1111, 0x2222, 0x3333, 0x4444, big),
                                     hostPixel16(0xA0B0, 0xC0D0, 0xE0F0, 0x0102, big)});
    HostMemoryFile input(hostInput);
    HostMemoryFile result(hostSecond);
    HostImageHandOff handOff;
    ASSERT_TRUE(handOff.intake(handOffArguments(result, input, 2, 1, 16, GetParam().tag)))
        << handOff.refusal().toStdString();
    EXPECT_EQ(viewBytes(handOff.inputView()),
              joined({ownPixel16(0x0102, 0x0304, 0x0506, 0xFFFE),
                      ownPixel16(0x8000, 0x0001, 0x7FFF, 0x1234)}));
    EXPECT_EQ(viewBytes(handOff.secondView()),
              joined({ownPixel16(0x1111, 0x2222, 0x3333, 0x4444),
                      ownPixel16(0xA0B0, 0xC0D0, 0xE0F0, 0x0102)}));
    EXPECT_EQ(handOff.secondView().stride, 16);

    // Only the first pixel of the second image changes.
    const Bytes changed = ownPixel16(0x0A0B, 0x0C0D, 0x0E0F, 0xFFFF);
    std::memcpy(handOff.secondView().data, changed.data(), changed.size());
    ASSERT_TRUE(handOff.writeBack());
    EXPECT_EQ(result.content(), joined({hostPixel16(0x0A0B, 0x0C0D, 0x0E0F, 0xFFFF, big),
                                        hostPixel16(0xA0B0, 0xC0D0, 0xE0F0, 0x0102, big)}));
    EXPECT_EQ(input.content(), hostInput);
}

INSTANTIATE_TEST_SUITE_P(HostImageHandOff, SixteenBitOrders,
                         ::testing::Values(DepthCase{"little", "little", false},
                                           DepthCase{"big", "big", true},
                                           DepthCase{"capitalLittle", "Little", true},
                                           DepthCase{"empty", "", true}),
                         [](const ::testing::TestParamInfo<DepthCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(HostImageHandOff, EightBitsIgnoreTheTagAndRowsArePacked) {
    const Bytes hostInput = patternBytes(3 * 2 * 4, 1);
    for (const char* tag : {"little", "big"}) {
        SCOPED_TRACE(tag);
        HostMemoryFile input(hostInput);
        HostMemoryFile result(patternBytes(3 * 2 * 4, 2));
        HostImageHandOff handOff;
        ASSERT_TRUE(handOff.intake(handOffArguments(result, input, 3, 2, 8, tag)));
        const Bytes own = viewBytes(handOff.inputView());
        ASSERT_EQ(own.size(), hostInput.size());
        for (std::size_t pixel = 0; pixel < 6; ++pixel) {
            EXPECT_EQ(own[pixel * 4 + 0], hostInput[pixel * 4 + 2]);
            EXPECT_EQ(own[pixel * 4 + 1], hostInput[pixel * 4 + 1]);
            EXPECT_EQ(own[pixel * 4 + 2], hostInput[pixel * 4 + 0]);
            EXPECT_EQ(own[pixel * 4 + 3], hostInput[pixel * 4 + 3]);
        }
    }
}

TEST(HostImageHandOff, UntouchedSecondImageComesBackByteIdentical) {
    for (int bits : {8, 16}) {
        for (const char* tag : {"little", "big"}) {
            SCOPED_TRACE(std::to_string(bits) + " " + tag);
            const Bytes second = patternBytes(5 * 3 * 4 * bits / 8, unsigned(bits));
            HostMemoryFile input(patternBytes(second.size(), 7));
            HostMemoryFile result(second);
            HostImageHandOff handOff;
            ASSERT_TRUE(handOff.intake(handOffArguments(result, input, 5, 3, bits, tag)));
            ASSERT_TRUE(handOff.writeBack());
            EXPECT_EQ(result.content(), second);
        }
    }
}

// Whether `descriptor` no longer refers to the file open as `file`: it is closed, or another
// thread of the process has since been given the same number for something else.
bool noLongerRefersTo(int descriptor, int file) {
    struct stat held {};
    if (::fstat(descriptor, &held) != 0)
        return errno == EBADF;
    struct stat original {};
    if (::fstat(file, &original) != 0)
        return false;
    return held.st_dev != original.st_dev || held.st_ino != original.st_ino;
}

TEST(HostImageHandOff, DescriptorsAreCloseOnExecOnceTakenAndClosedAtTheEnd) {
    HostMemoryFile input(patternBytes(4, 1));
    HostMemoryFile result(patternBytes(4, 2));
    // Copies the test keeps control of: the hand-off closes the ones it took.
    const int inputCopy = ::fcntl(input.descriptor(), F_DUPFD, 0);
    const int resultCopy = ::fcntl(result.descriptor(), F_DUPFD, 0);
    ASSERT_GE(inputCopy, 0);
    ASSERT_GE(resultCopy, 0);
    {
        HostImageHandOff handOff;
        char inputHandle[16], resultHandle[16];
        std::snprintf(inputHandle, sizeof inputHandle, "%x", unsigned(inputCopy));
        std::snprintf(resultHandle, sizeof resultHandle, "%x", unsigned(resultCopy));
        ASSERT_TRUE(handOff.intake({resultHandle, inputHandle, "1", "1", "8", "little", "n"}));
        EXPECT_TRUE(zqplatform::isCloseOnExec(inputCopy));
        EXPECT_TRUE(zqplatform::isCloseOnExec(resultCopy));
    }
    EXPECT_TRUE(noLongerRefersTo(inputCopy, input.descriptor()));
    EXPECT_TRUE(noLongerRefersTo(resultCopy, result.descriptor()));
    EXPECT_GE(::fcntl(input.descriptor(), F_GETFD), 0);
}

struct RefusalCase {
    const char* name;
    // Arguments with "R" and "I" standing for the result's and the input's handles.
    std::vector<std::string> arguments;
    std::size_t inputBytes;
    std::size_t resultBytes;
};

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, NothingIsTakenNothingWrittenAndTheReasonIsGiven) {
    const RefusalCase& row = GetParam();
    const Bytes inputContent = patternBytes(row.inputBytes, 3);
    const Bytes resultContent = patternBytes(row.resultBytes, 4);
    HostMemoryFile input(inputContent);
    HostMemoryFile result(resultContent);
    ASSERT_TRUE(input.ready() && result.ready());
    std::vector<std::string> arguments = row.arguments;
    for (std::string& argument : arguments) {
        if (argument == "R")
            argument = result.handle();
        else if (argument == "I")
            argument = input.handle();
    }
    HostImageHandOff handOff;
    EXPECT_FALSE(handOff.intake(arguments));
    EXPECT_FALSE(handOff.imagesTaken());
    EXPECT_FALSE(handOff.refusal().isEmpty());
    EXPECT_EQ(handOff.inputView().data, nullptr);
    EXPECT_EQ(handOff.secondView().data, nullptr);
    EXPECT_FALSE(handOff.writeBack());
    EXPECT_FALSE(handOff.resultWritten());
    EXPECT_EQ(input.content(), inputContent);
    EXPECT_EQ(result.content(), resultContent);
    // Refused descriptors stay the host's: neither closed nor marked.
    EXPECT_FALSE(zqplatform::isCloseOnExec(input.descriptor()));
    EXPECT_FALSE(zqplatform::isCloseOnExec(result.descriptor()));
}

INSTANTIATE_TEST_SUITE_P(
    HostImageHandOff, Refusals,
    ::testing::Values(
        RefusalCase{"handleNotANumber", {"R", "input", "2", "2", "8", "little", "n"}, 16, 16},
        RefusalCase{"handleWithTrailingText", {"R", "I;", "2", "2", "8", "little", "n"}, 16, 16},
        RefusalCase{"widthNotANumber", {"R", "I", "two", "2", "8", "little", "n"}, 16, 16},
        RefusalCase{"heightWithTrailingBlank", {"R", "I", "2", "2 ", "8", "little", "n"}, 16, 16},
        RefusalCase{"zeroWidth", {"R", "I", "0", "2", "8", "little", "n"}, 16, 16},
        RefusalCase{"negativeHeight", {"R", "I", "2", "-2", "8", "little", "n"}, 16, 16},
        RefusalCase{"depthTwelve", {"R", "I", "2", "2", "12", "little", "n"}, 48, 48},
        RefusalCase{"depthZero", {"R", "I", "2", "2", "0", "little", "n"}, 16, 16},
        RefusalCase{"closedDescriptor", {"R", "7ffffff0", "2", "2", "8", "little", "n"}, 16, 16},
        RefusalCase{"inputOneByteShort", {"R", "I", "2", "2", "8", "little", "n"}, 15, 16},
        RefusalCase{"resultOneByteShort", {"R", "I", "2", "2", "16", "big", "n"}, 32, 31},
        RefusalCase{"sameMappingTwice", {"I", "I", "2", "2", "8", "little", "n"}, 16, 16},
        // 65536 x 65536 x 4 is 2^34: a 32-bit product would wrap to 0 and pass.
        RefusalCase{"sizePastThirtyTwoBits", {"R", "I", "65536", "65536", "8", "little", "n"}, 16,
                    16},
        RefusalCase{"sizePastSixtyFourBits",
                    {"R", "I", "4294967296", "4294967296", "16", "little", "n"}, 16, 16},
        RefusalCase{"widthPastSixtyFourBits",
                    {"R", "I", "99999999999999999999", "1", "8", "little", "n"}, 16, 16},
        RefusalCase{"tooFewArguments", {"R", "I", "2", "2", "8", "little"}, 16, 16}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST(HostImageHandOff, ResultThatCannotBeWrittenKeepsItsBytes) {
    const Bytes second = patternBytes(8, 9);
    HostMemoryFile input(patternBytes(8, 8));
    HostMemoryFile result(second);
    // The host hands the result over for reading only.
    const int readOnly = ::open(("/proc/self/fd/" + std::to_string(result.descriptor())).c_str(),
                                O_RDONLY);
    ASSERT_GE(readOnly, 0);
    char handle[16];
    std::snprintf(handle, sizeof handle, "%x", unsigned(readOnly));
    HostImageHandOff handOff;
    ASSERT_TRUE(handOff.intake({handle, input.handle(), "2", "1", "8", "big", "n"}));
    handOff.secondView().data[0] ^= 0xFF;
    EXPECT_FALSE(handOff.writeBack());
    EXPECT_FALSE(handOff.resultWritten());
    EXPECT_EQ(result.content(), second);
}

TEST(HostImageHandOff, ResultShrunkDuringTheRunIsNotWritten) {
    const Bytes second = patternBytes(16, 5);
    HostMemoryFile input(patternBytes(16, 6));
    HostMemoryFile result(second);
    HostImageHandOff handOff;
    ASSERT_TRUE(handOff.intake(handOffArguments(result, input, 2, 2, 8, "little")));
    ASSERT_EQ(::ftruncate(result.descriptor(), 15), 0);
    EXPECT_FALSE(handOff.writeBack());
    EXPECT_EQ(result.content(), Bytes(second.begin(), second.begin() + 15));
}

TEST(HostImageHandOff, ResultIsWrittenOnlyOnce) {
    HostMemoryFile input(patternBytes(4, 1));
    HostMemoryFile result(patternBytes(4, 2));
    HostImageHandOff handOff;
    ASSERT_TRUE(handOff.intake(handOffArguments(result, input, 1, 1, 8, "little")));
    ASSERT_TRUE(handOff.writeBack());
    EXPECT_EQ(result.content(), patternBytes(4, 2));
    // The host may use its result the moment it has it; a second write would change it.
    ASSERT_EQ(::pwrite(result.descriptor(), "\x7f\x7f\x7f\x7f", 4, 0), 4);
    EXPECT_TRUE(handOff.writeBack());
    EXPECT_EQ(result.content(), (Bytes{0x7f, 0x7f, 0x7f, 0x7f}));
    // And a second intake does not take new images.
    EXPECT_TRUE(handOff.intake(handOffArguments(result, input, 1, 1, 8, "little")));
}

}  // namespace
