// Built only for the leak check's own test: it leaks one source image on purpose, and the test
// passes when the leak checker, with the suppressions every test runs under, reports it.
#include "masking/TqSourceImage.h"

#include <gtest/gtest.h>

namespace {

// Kept out of line so that the report names it and no register of the caller keeps the pointer.
__attribute__((noinline)) void leakOneSourceImage() {
    TqSourceImage* const image = new TqSourceImage(QString());
    EXPECT_FALSE(image->valid());
}

TEST(LeakProbe, LeaksOneSourceImage) {
    leakOneSourceImage();
}

}  // namespace
