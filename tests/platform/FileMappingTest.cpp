#include "platform/FileMapping.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

extern char** environ;

namespace {

using zqplatform::SharedMapping;

/// An anonymous memory file such as a host hands over, closed at the end of the test.
class MemoryFile {
public:
    explicit MemoryFile(const std::vector<unsigned char>& content) {
        descriptor_ = ::memfd_create("zq-mapping-test", 0);
        if (descriptor_ >= 0 && !content.empty())
            written_ = ::write(descriptor_, content.data(), content.size()) ==
                       static_cast<ssize_t>(content.size());
    }
    ~MemoryFile() { zqplatform::closeDescriptor(descriptor_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    int descriptor() const { return descriptor_; }
    bool ready() const { return descriptor_ >= 0 && written_; }
    std::vector<unsigned char> content() const {
        std::vector<unsigned char> bytes(static_cast<size_t>(::lseek(descriptor_, 0, SEEK_END)));
        if (!bytes.empty() && ::pread(descriptor_, bytes.data(), bytes.size(), 0) < 0)
            bytes.clear();
        return bytes;
    }

private:
    int descriptor_ = -1;
    bool written_ = false;
};

struct ParseCase {
    const char* text;
    bool accepted;
    int value;
};

class DescriptorNumbers : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DescriptorNumbers, HexadecimalWholeTextOrRefused) {
    const ParseCase& row = GetParam();
    int descriptor = -7;
    EXPECT_EQ(zqplatform::parseDescriptorNumber(row.text, descriptor), row.accepted);
    EXPECT_EQ(descriptor, row.accepted ? row.value : -7);
}

INSTANTIATE_TEST_SUITE_P(
    FileMapping, DescriptorNumbers,
    ::testing::Values(ParseCase{"1c", true, 0x1c}, ParseCase{"0x1C", true, 0x1c},
                      ParseCase{"  \t0x20", true, 0x20}, ParseCase{"+a", true, 10},
                      ParseCase{"-0", true, 0}, ParseCase{"10", true, 16},
                      ParseCase{"7fffffff", true, 0x7fffffff},
                      ParseCase{"80000000", false, 0}, ParseCase{"ffffffffffffffff1", false, 0},
                      ParseCase{"-1", false, 0}, ParseCase{"", false, 0},
                      ParseCase{"   ", false, 0}, ParseCase{"0x", false, 0},
                      ParseCase{"0xg", false, 0}, ParseCase{"12 ", false, 0},
                      ParseCase{"1c;rm", false, 0}, ParseCase{"--1", false, 0},
                      ParseCase{"x1", false, 0}, ParseCase{"0x0x1", false, 0}));

TEST(FileMapping, NullTextIsRefused) {
    int descriptor = 3;
    EXPECT_FALSE(zqplatform::parseDescriptorNumber(nullptr, descriptor));
    EXPECT_EQ(descriptor, 3);
}

TEST(FileMapping, DescribesMemoryFilesAndRefusesWhatCannotBeMapped) {
    MemoryFile file({1, 2, 3, 4, 5});
    ASSERT_TRUE(file.ready());
    zqplatform::DescriptorFacts facts;
    std::string error;
    ASSERT_TRUE(zqplatform::describeDescriptor(file.descriptor(), facts, error)) << error;
    EXPECT_EQ(facts.size, 5u);
    EXPECT_TRUE(facts.writable);

    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    EXPECT_FALSE(zqplatform::describeDescriptor(pipeEnds[0], facts, error));
    EXPECT_NE(error.find("not a file"), std::string::npos) << error;
    zqplatform::closeDescriptor(pipeEnds[0]);
    zqplatform::closeDescriptor(pipeEnds[1]);
    // Both ends are closed now: the numbers name nothing.
    EXPECT_FALSE(zqplatform::describeDescriptor(pipeEnds[0], facts, error));
    EXPECT_NE(error.find("not open"), std::string::npos) << error;
    EXPECT_FALSE(zqplatform::describeDescriptor(-1, facts, error));
}

TEST(FileMapping, ReadOnlyDescriptorIsNotWritable) {
    char path[] = "/tmp/zq-mapping-XXXXXX";
    const int writer = ::mkstemp(path);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "abcd", 4), 4);
    const int reader = ::open(path, O_RDONLY);
    ::unlink(path);
    ASSERT_GE(reader, 0);
    zqplatform::DescriptorFacts facts;
    std::string error;
    ASSERT_TRUE(zqplatform::describeDescriptor(reader, facts, error));
    EXPECT_FALSE(facts.writable);
    SharedMapping denied(reader, 4, SharedMapping::ReadWrite);
    EXPECT_FALSE(denied.isMapped());
    EXPECT_FALSE(denied.error().empty());
    SharedMapping allowed(reader, 4, SharedMapping::ReadOnly);
    ASSERT_TRUE(allowed.isMapped()) << allowed.error();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(allowed.data()), 4), "abcd");
    zqplatform::closeDescriptor(reader);
    zqplatform::closeDescriptor(writer);
}

TEST(FileMapping, ReadOnlyMappingSeesTheFileAndOffersNoWritablePointer) {
    MemoryFile file({10, 20, 30, 40, 50, 60});
    ASSERT_TRUE(file.ready());
    SharedMapping view(file.descriptor(), 4, SharedMapping::ReadOnly);
    ASSERT_TRUE(view.isMapped()) << view.error();
    EXPECT_EQ(view.length(), 4u);
    EXPECT_EQ(view.writableData(), nullptr);
    EXPECT_EQ(std::vector<unsigned char>(view.data(), view.data() + 4),
              (std::vector<unsigned char>{10, 20, 30, 40}));
}

TEST(FileMapping, WritesThroughASharedMappingReachTheFile) {
    MemoryFile file({0, 0, 0, 0});
    ASSERT_TRUE(file.ready());
    {
        SharedMapping view(file.descriptor(), 4, SharedMapping::ReadWrite);
        ASSERT_TRUE(view.isMapped()) << view.error();
        view.writableData()[1] = 7;
        view.writableData()[3] = 9;
    }
    EXPECT_EQ(file.content(), (std::vector<unsigned char>{0, 7, 0, 9}));
}

struct ShortCase {
    const char* name;
    std::uint64_t fileBytes;
    std::uint64_t wanted;
};

class MappingLengths : public ::testing::TestWithParam<ShortCase> {};

// Mapping past the end of a file would fault on first touch (SIGBUS), not at mapping time.
TEST_P(MappingLengths, MoreThanTheFileHoldsIsRefused) {
    MemoryFile file(std::vector<unsigned char>(GetParam().fileBytes, 1));
    ASSERT_GE(file.descriptor(), 0);
    for (auto access : {SharedMapping::ReadOnly, SharedMapping::ReadWrite}) {
        SharedMapping view(file.descriptor(), GetParam().wanted, access);
        EXPECT_FALSE(view.isMapped());
        EXPECT_FALSE(view.error().empty());
        EXPECT_EQ(view.data(), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FileMapping, MappingLengths,
    ::testing::Values(ShortCase{"oneByteShort", 16, 17}, ShortCase{"emptyFile", 0, 1},
                      ShortCase{"nothingWanted", 16, 0},
                      ShortCase{"pastThirtyTwoBits", 16, (std::uint64_t{1} << 32) + 8},
                      ShortCase{"pastSixtyThreeBits", 16, ~std::uint64_t{0}}),
    [](const ::testing::TestParamInfo<ShortCase>& info) { return std::string(info.param.name); });

TEST(FileMapping, MovedMappingIsUnmappedOnceByItsLastOwner) {
    MemoryFile file({5, 6});
    ASSERT_TRUE(file.ready());
    SharedMapping first(file.descriptor(), 2, SharedMapping::ReadOnly);
    ASSERT_TRUE(first.isMapped());
    const unsigned char* address = first.data();
    SharedMapping second(std::move(first));
    EXPECT_FALSE(first.isMapped());
    EXPECT_EQ(second.data(), address);
    SharedMapping third;
    third = std::move(second);
    EXPECT_EQ(third.data()[1], 6);
    third.unmap();
    EXPECT_FALSE(third.isMapped());
    EXPECT_EQ(third.length(), 0u);
}

/// Whether a child program started now finds `descriptor` open.
bool childInherits(int descriptor) {
    const std::string script = "[ -e /proc/self/fd/" + std::to_string(descriptor) + " ]";
    std::vector<std::string> texts{"/bin/sh", "-c", script};
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(&text[0]);
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(FileMapping, CloseOnExecKeepsTheDescriptorFromStartedPrograms) {
    MemoryFile file({1});
    ASSERT_TRUE(file.ready());
    EXPECT_FALSE(zqplatform::isCloseOnExec(file.descriptor()));
    EXPECT_TRUE(childInherits(file.descriptor()));
    ASSERT_TRUE(zqplatform::setCloseOnExec(file.descriptor()));
    EXPECT_TRUE(zqplatform::isCloseOnExec(file.descriptor()));
    EXPECT_FALSE(childInherits(file.descriptor()));
    // Still open for us.
    SharedMapping view(file.descriptor(), 1, SharedMapping::ReadOnly);
    EXPECT_TRUE(view.isMapped());
}

TEST(FileMapping, ClosedDescriptorCannotBeMarkedOrMapped) {
    const int descriptor = ::memfd_create("zq-closed", 0);
    ASSERT_GE(descriptor, 0);
    zqplatform::closeDescriptor(descriptor);
    EXPECT_FALSE(zqplatform::setCloseOnExec(descriptor));
    EXPECT_FALSE(zqplatform::isCloseOnExec(descriptor));
    SharedMapping view(descriptor, 1, SharedMapping::ReadOnly);
    EXPECT_FALSE(view.isMapped());
    zqplatform::closeDescriptor(-1);   // ignored
}

}  // namespace

namespace {

TEST(PageBuffer, ZeroedWritableAndHandedOnByMoving) {
    zqplatform::PageBuffer empty;
    EXPECT_EQ(empty.data(), nullptr);
    EXPECT_EQ(zqplatform::PageBuffer(0).data(), nullptr);

    zqplatform::PageBuffer buffer(10000);
    ASSERT_NE(buffer.data(), nullptr);
    EXPECT_EQ(buffer.size(), 10000u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.data()) % 4096, 0u);
    for (std::size_t i = 0; i < buffer.size(); ++i)
        ASSERT_EQ(buffer.data()[i], 0) << i;
    buffer.data()[9999] = 42;
    zqplatform::PageBuffer moved(std::move(buffer));
    EXPECT_EQ(buffer.data(), nullptr);
    EXPECT_EQ(moved.data()[9999], 42);
    buffer = std::move(moved);
    EXPECT_EQ(buffer.data()[9999], 42);
    EXPECT_EQ(moved.size(), 0u);
}

TEST(PageBuffer, MoreThanTheAddressSpaceHoldsIsABadAlloc) {
    EXPECT_THROW(zqplatform::PageBuffer(~std::uint64_t{0} - 4095), std::bad_alloc);
}

}  // namespace
