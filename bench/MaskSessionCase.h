#pragma once

// A bench photo set up for "Generate mask" through the flat interface, as the application
// would: a session on the working image, analysed, with the trimap's sure pixels marked keep
// and delete. Shared by the generate-mask benchmark and the photo test.

#include "MattingCase.h"   // Qt first (see there)

#include "classification/JxInterface.h"
#include "classification/MaskPixelFormat.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace zqbench {

/// The flat interface's record of an engine array of four-channel pixels (rows one after the
/// other, as a freshly made array stores them).
template <typename Pixel>
JxImage flatImageOf(blitz::Array<Pixel, 2>& pixels, int format) {
    return JxImage{pixels.columns(), pixels.rows(), static_cast<int>(pixels.columns() * sizeof(Pixel)),
                   format, reinterpret_cast<unsigned char*>(pixels.data())};
}

/// The statuses the keep and delete brushes leave at working resolution (`scale` photo pixels
/// per working pixel on each axis): keep where every photo pixel of the cell is sure
/// foreground, delete where every one is sure background, 0 elsewhere (for JxSetStatus: the
/// status stays as it was).
inline std::vector<unsigned char> marksFromTrimap(const blitz::Array<unsigned char, 2>& trimap,
                                                  int scale) {
    const int rows = (trimap.rows() + scale - 1) / scale;
    const int columns = (trimap.columns() + scale - 1) / scale;
    std::vector<unsigned char> marks(static_cast<std::size_t>(rows) * columns, 0);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j) {
            bool allKeep = true, allDelete = true;
            for (int a = i * scale; a < std::min((i + 1) * scale, trimap.rows()); ++a)
                for (int b = j * scale; b < std::min((j + 1) * scale, trimap.columns()); ++b) {
                    allKeep = allKeep && trimap(a, b) == 255;
                    allDelete = allDelete && trimap(a, b) == 0;
                }
            marks[static_cast<std::size_t>(i) * columns + j] =
                allKeep ? JxStatusKeep : allDelete ? JxStatusDelete : 0;
        }
    return marks;
}

/// An engine and an analysed, marked session over `photo` reduced by `scale` (1, 2, 4 or 8).
struct MaskSession {
    classification::MaskFormat8::Image working;
    JxEngine* engine = nullptr;
    JxImage* status = nullptr;
    JxSession* session = nullptr;

    MaskSession(MattingCase<classification::MaskFormat8>& photo, int scale) {
        JxImage source = flatImageOf(photo.image, JxFormatRgba8);
        working.resize((photo.image.rows() + scale - 1) / scale,
                       (photo.image.columns() + scale - 1) / scale);
        JxImage workingImage = flatImageOf(working, JxFormatRgba8);
        if (JxScaleImage(workingImage, source) != JxOk)
            throw std::runtime_error("working image not made");
        engine = JxInit();
        status = JxNewImage(engine, workingImage);
        session = JxBeginSession(engine, workingImage, nullptr);
        if (!engine || !status || !session || JxAnalyseImage(session, nullptr) != JxOk)
            throw std::runtime_error("session not analysed");
        const std::vector<unsigned char> marks = marksFromTrimap(photo.trimap, scale);
        const JxSelection selection{0, 0, working.columns(), working.rows(), working.columns(), 0,
                                    marks.data()};
        if (JxSetStatus(session, status, &selection, nullptr) != JxOk)
            throw std::runtime_error("statuses not marked");
    }
    ~MaskSession() { JxFinish(engine); }
    MaskSession(const MaskSession&) = delete;
    MaskSession& operator=(const MaskSession&) = delete;

    /// Generates the whole image's mask into `output` from `source` with the blending
    /// options' defaults (automatic blend width 0.75, blend ratio 0.2).
    int generate(JxImage output, JxImage source) {
        return JxGenerateMask(session, nullptr, output, source, status, nullptr, 0, 0.75f, 0.2f,
                              nullptr, 0, nullptr);
    }
};

}  // namespace zqbench
