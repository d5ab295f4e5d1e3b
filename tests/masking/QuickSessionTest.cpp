// A placed cut-out's session written the quick way, on a real engine thread: it must bring
// back the very work the user's own session files bring back.
#include "masking/ArrowTargetFactory.h"
#include "masking/BrushRegion.h"
#include "masking/GmBrushing.h"
#include "masking/JxCmdSelect.h"
#include "masking/RectRegion.h"
#include "masking/SavedCutoutState.h"
#include "masking/SessionFile.h"
#include "masking/SessionStream.h"
#include "common/StreamedTypes.h"
#include "tests/masking/MaskingEngineFixture.h"

#include <QBuffer>
#include <QFile>

namespace {

const QString casePath = QStringLiteral(ZQ_BENCH_DATA_DIR "/coffee-on-brick/");

class QuickSessionTest : public MaskingEngineFixture {
protected:
    void SetUp() override
    {
        MaskingEngineFixture::SetUp();
        registerStreamedTypes();
        ArrowTargetFactory::restoreBuiltInCreators();
    }
    void TearDown() override
    {
        MaskingEngineFixture::TearDown();
    }

    // The photo at a quarter of its size with keep and delete marks, a protected rectangle
    // and a brush region, and the cut-out they make.
    void openWithMarks()
    {
        const QImage photo = QImage(casePath + "image.png").scaled(160, 120);
        ASSERT_FALSE(photo.isNull());
        open(photo);
        analyse();
        run(new JxCmdSelect(model, nullptr, JxStatusAllClasses, JxStatusUnassigned));
        BrushSizeValue::instance()->setBrushSize(9);
        const struct {
            QPointF at;
            JxPixelStatus status;
        } dabs[] = {{QPointF(80, 60), JxStatusKeep}, {QPointF(12, 10), JxStatusDelete},
                    {QPointF(150, 110), JxStatusDelete}};
        for (const auto& dab : dabs) {
            auto* stroke = new GmBrushing(Qt::red);
            stroke->brushing().startStroke(dab.at);
            thread->submit(new JxCmdSelect(model, stroke, JxStatusAllClasses, dab.status, 0, 1));
        }
        auto* rect = new RectRegion(QRectF(20, 70, 30, 20));
        rect->setProtected(true);
        model->addArrowTarget(rect);
        auto* brush = new BrushRegion(QColor(Qt::green));
        brush->stroke().startStroke(QPointF(100, 30));
        brush->stroke().strokeTo(QPointF(130, 40));
        model->addArrowTarget(brush);
        ASSERT_TRUE(waitIdle());
    }

    QByteArray written(bool quick)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        EXPECT_TRUE(quick ? SessionFile::saveQuickly(buffer) : SessionFile::save(buffer));
        return buffer.data();
    }

    // Closes the work, reads `bytes` back and waits until the engine has it all.
    void reload(const QByteArray& bytes)
    {
        model->closeImage();
        ASSERT_TRUE(waitIdle());
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        ASSERT_TRUE(SessionFile::load(buffer));
        ASSERT_TRUE(waitIdle());
    }
};

TEST_F(QuickSessionTest, AQuickSessionRestoresWhatTheUsersOwnFileRestores)
{
    openWithMarks();
    const QImage statuses = model->statusArray()->statusImage().copy();
    const QImage source = model->sourceImage()->image();
    const QImage cutout = model->outputImage()->image();
    ASSERT_FALSE(pixelsWithFlag(JxStatusKeep).empty());
    ASSERT_FALSE(pixelsWithFlag(JxStatusDelete).empty());
    const QByteArray standard = written(false);
    const QByteArray quick = written(true);
    EXPECT_EQ(quick.left(SessionStream::headerSize), standard.left(SessionStream::headerSize));
    EXPECT_NE(quick, standard);

    reload(quick);
    EXPECT_EQ(model->statusArray()->statusImage(), statuses);
    EXPECT_EQ(model->sourceImage()->image(), source);
    EXPECT_EQ(model->outputImage()->image(), cutout);
    ASSERT_EQ(model->regions().size(), 2);
    EXPECT_TRUE(model->regions()[0]->isProtected());
    const QByteArray againFromQuick = written(false);

    // The user's own file, read back the same way, must give the same work to the byte.
    reload(standard);
    EXPECT_EQ(written(false), againFromQuick);
}

TEST_F(QuickSessionTest, APlacedCutoutKeepsItsStateTheQuickWay)
{
    openWithMarks();
    const QImage statuses = model->statusArray()->statusImage().copy();
    const QByteArray quick = written(true);
    SavedCutoutState state;
    ASSERT_TRUE(state.save());
    QFile file(state.fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), quick);
    file.close();

    model->closeImage();
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(state.restore());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(model->statusArray()->statusImage(), statuses);
    EXPECT_EQ(model->regions().size(), 2);
}

}  // namespace
