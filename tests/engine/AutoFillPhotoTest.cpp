// End to end on the bench photo: analyse, mark the trimap's keep and delete pixels, auto fill.
// The photo is read through Qt's image plug-ins; the engine itself links no Qt.

// Qt first: Blitz++ defines a macro that breaks Qt's colour declarations.
#include <QImage>
#include <QString>

#include "classification/JxInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct Photo {
    QImage image;     // ARGB32: bytes blue, green, red, alpha, as the engine reads them
    QImage trimap;    // grey: 255 keep, 0 delete, anything else undecided

    bool load() {
        image = QImage(QString::fromUtf8(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png"))
                    .convertToFormat(QImage::Format_ARGB32);
        trimap = QImage(QString::fromUtf8(ZQ_BENCH_DATA_DIR "/coffee-on-brick/trimap.png"))
                     .convertToFormat(QImage::Format_Grayscale8);
        return !image.isNull() && !trimap.isNull() && image.size() == trimap.size();
    }
    int width() const { return image.width(); }
    int height() const { return image.height(); }
    int trimapAt(int x, int y) const { return trimap.constScanLine(y)[x]; }
};

/// An analysed session over the photo with the trimap's keep (2) and delete (4) pixels set.
class MarkedPhoto {
public:
    explicit MarkedPhoto(Photo& photo) : photo_(photo) {
        const JxImage buffer{photo.width(), photo.height(), static_cast<std::int32_t>(photo.image.bytesPerLine()),
                             JxFormatRgba8, photo.image.bits()};
        engine = JxInit();
        status = JxNewImage(engine, buffer);
        session = JxBeginSession(engine, buffer, nullptr);
        marks.assign(static_cast<std::size_t>(photo.width()) * photo.height(), 0);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x) {
                const int value = photo.trimapAt(x, y);
                marks[static_cast<std::size_t>(y) * photo.width() + x] = value == 255 ? 2 : value == 0 ? 4 : 0;
            }
    }
    ~MarkedPhoto() { JxFinish(engine); }
    MarkedPhoto(const MarkedPhoto&) = delete;
    MarkedPhoto& operator=(const MarkedPhoto&) = delete;

    int analyseAndMark() {
        if (const int code = JxAnalyseImage(session, nullptr))
            return code;
        const JxSelection selection{0, 0, photo_.width(), photo_.height(), photo_.width(), 0, marks.data()};
        return JxSetStatus(session, status, &selection, nullptr);
    }
    unsigned char at(int x, int y) const { return status->data[static_cast<std::size_t>(y) * status->stride + x]; }
    unsigned char mark(int x, int y) const { return marks[static_cast<std::size_t>(y) * photo_.width() + x]; }

    JxEngine* engine = nullptr;
    JxImage* status = nullptr;
    JxSession* session = nullptr;
    std::vector<unsigned char> marks;

private:
    Photo& photo_;
};

TEST(AutoFillPhoto, StatusesAgreeWithTheTrimapOnEveryMarkedPixel) {
    Photo photo;
    ASSERT_TRUE(photo.load()) << "bench photo missing";
    MarkedPhoto marked(photo);
    ASSERT_NE(marked.session, nullptr);
    ASSERT_EQ(marked.analyseAndMark(), JxOk);
    EXPECT_EQ(marked.session->analysed, 1);
    EXPECT_GT(marked.session->polylineCount, 0);

    ASSERT_EQ(JxBeginUndoGroup(marked.session), JxOk);   // as the application does
    ASSERT_EQ(JxAutoFill(marked.session, marked.status, nullptr, 0, 0.0f, nullptr), JxOk);
    // The first marked pixel in row order decides the fill status; every undecided pixel
    // takes the other one.
    unsigned char first = 0;
    for (int y = 0; y < photo.height() && !first; ++y)
        for (int x = 0; x < photo.width() && !first; ++x)
            first = marked.mark(x, y);
    ASSERT_NE(first, 0);
    const unsigned char opposite = first == 2 ? 4 : 2;
    long disagreements = 0, undecided = 0;
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) {
            const unsigned char mark = marked.mark(x, y);
            const unsigned char status = marked.at(x, y);
            if (mark != 0)
                disagreements += status != mark;
            else
                undecided += status != opposite;
        }
    EXPECT_EQ(disagreements, 0);
    EXPECT_EQ(undecided, 0);

    ASSERT_EQ(JxUndo(marked.session, nullptr), JxOk);
    for (int y = 0; y < photo.height(); y += 7)
        for (int x = 0; x < photo.width(); x += 7)
            ASSERT_EQ(marked.at(x, y), marked.mark(x, y) ? marked.mark(x, y) : 1) << x << "," << y;
}

TEST(AutoFillPhoto, ABlendBandNeverTurnsKeepIntoDeleteOrBack) {
    Photo photo;
    ASSERT_TRUE(photo.load()) << "bench photo missing";
    MarkedPhoto marked(photo);
    ASSERT_NE(marked.session, nullptr);
    ASSERT_EQ(marked.analyseAndMark(), JxOk);
    ASSERT_EQ(JxAutoFill(marked.session, marked.status, nullptr, 0, 1.0f, nullptr), JxOk);
    long blended = 0;
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) {
            const unsigned char mark = marked.mark(x, y);
            const unsigned char status = marked.at(x, y);
            ASSERT_TRUE(status == 2 || status == 4 || status == 8) << x << "," << y;
            if (mark != 0) {
                ASSERT_TRUE(status == mark || status == 8) << x << "," << y;
            }
            blended += status == 8;
        }
    EXPECT_GT(blended, 0);
}

}  // namespace
