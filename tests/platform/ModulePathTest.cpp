#include "platform/ModulePath.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(ModulePath, ProgramFolderHoldsTheRunningProgram) {
    const std::string path = zqplatform::programPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    const std::string folder = zqplatform::programFolder();
    EXPECT_EQ(path.compare(0, folder.size() + 1, folder + "/"), 0);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}
