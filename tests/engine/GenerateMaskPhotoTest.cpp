// "Generate mask" end to end through the flat interface on a photo with a known alpha: begin a
// session, analyse, mark the trimap's sure pixels as the masking tools would, generate, and
// measure the alpha over the trimap's unknown band.

#include "MaskSessionCase.h"   // Qt first (see there)

#include <gtest/gtest.h>

#include <iostream>

using classification::MaskFormat8;

namespace {

const std::string caseFolder = ZQ_BENCH_DATA_DIR "/coffee-on-brick";

// The mask of the whole photo, generated from a working image `scale` times smaller.
zqbench::MattingError generateCase(int scale) {
    zqbench::MattingCase<MaskFormat8> photo(caseFolder, 1, 1);
    zqbench::MaskSession masking(photo, scale);
    MaskFormat8::Image output(photo.image.shape());
    output = MaskFormat8::Pixel(0, 0, 0, 0);
    EXPECT_EQ(masking.generate(zqbench::flatImageOf(output, JxFormatRgba8),
                               zqbench::flatImageOf(photo.image, JxFormatRgba8)),
              JxOk);
    return zqbench::matteError<MaskFormat8>(output, photo);
}

}  // namespace

// Leaving the band at alpha 0.5 scores SAD 38.5 here; common matting tools score 3 to 10.
TEST(GenerateMaskPhoto, AlphaOfTheUnknownBandAtScaleOne) {
    const zqbench::MattingError error = generateCase(1);
    std::cout << "coffee-on-brick, scale 1: SAD " << error.sad << ", MSE " << error.mse << "\n";
    EXPECT_LT(error.sad, 15.0);
}

TEST(GenerateMaskPhoto, AlphaOfTheUnknownBandFromAHalfSizeWorkingImage) {
    const zqbench::MattingError error = generateCase(2);
    std::cout << "coffee-on-brick, scale 2: SAD " << error.sad << ", MSE " << error.mse << "\n";
    EXPECT_LT(error.sad, 20.0);
}
