#include "composition/scene/FrolixOutputHandler.h"

#include <QComboBox>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Two file-type boxes registered with the handler, which starts at JPEG.
class FrolixOutputHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        handler->fileTypeChoosen(FrolixOutputHandler::Jpg);
        handler->comboBoxes().clear();
        for (auto& box : boxes) {
            box = std::make_unique<QComboBox>();
            box->addItems(handler->fileTypeNames());
            handler->comboBoxes().append(box.get());
        }
    }
    void TearDown() override { handler->comboBoxes().clear(); }

    FrolixOutputHandler* handler = FrolixOutputHandler::instance();
    std::unique_ptr<QComboBox> boxes[2];
};

TEST_F(FrolixOutputHandlerTest, ANewTypeIsStoredAnnouncedAndShownWithoutBoxSignals) {
    EXPECT_EQ(handler->fileTypeNames(), (QStringList{"JPG", "PNG", "PDF"}));
    QSignalSpy changed(handler, &FrolixOutputHandler::fileTypeChanged);
    QSignalSpy boxChanged(boxes[0].get(), qOverload<int>(&QComboBox::currentIndexChanged));
    handler->fileTypeChoosen(FrolixOutputHandler::Png);
    EXPECT_EQ(handler->fileType(), FrolixOutputHandler::Png);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(boxes[0]->currentIndex(), 1);
    EXPECT_EQ(boxes[1]->currentIndex(), 1);
    EXPECT_EQ(boxChanged.count(), 0);

    // The same type again announces nothing but brings a box that strayed back in line.
    boxes[1]->setCurrentIndex(2);
    handler->fileTypeChoosen(FrolixOutputHandler::Png);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(boxes[1]->currentIndex(), 1);
}

TEST_F(FrolixOutputHandlerTest, GoneBoxesAreForgottenAndOtherValuesIgnored) {
    QSignalSpy changed(handler, &FrolixOutputHandler::fileTypeChanged);
    boxes[0].reset();
    handler->fileTypeChoosen(FrolixOutputHandler::Pdf);
    EXPECT_EQ(handler->comboBoxes().size(), 1);
    EXPECT_EQ(boxes[1]->currentIndex(), 2);
    for (int bogus : {-1, 3, 1000}) {
        handler->fileTypeChoosen(bogus);
        EXPECT_EQ(handler->fileType(), FrolixOutputHandler::Pdf);
    }
    EXPECT_EQ(changed.count(), 1);
}

TEST(ExportFileFilter, TheLastExportedTypeComesFirstAndThereIsNoPdf) {
    struct Case {
        int fileType;
        const char* expected;
    };
    const Case cases[] = {
        {FrolixOutputHandler::Png, "PNG image (*.png);;JPEG image (*.jpg)"},
        {FrolixOutputHandler::Jpg, "JPEG image (*.jpg);;PNG image (*.png)"},
        {FrolixOutputHandler::Pdf, "PNG image (*.png);;JPEG image (*.jpg)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileType);
        FrolixOutputHandler::instance()->fileTypeChoosen(c.fileType);
        EXPECT_EQ(FrolixOutputHandler::instance()->exportFileFilter(), QLatin1String(c.expected));
    }
}

TEST(FrolixOutputHandler, OnlyADifferentFileTypeIsStoredAndSignalled) {
    FrolixOutputHandler* handler = FrolixOutputHandler::instance();
    handler->fileTypeChoosen(FrolixOutputHandler::Jpg);
    QSignalSpy changed(handler, &FrolixOutputHandler::fileTypeChanged);
    handler->fileTypeChoosen(FrolixOutputHandler::Jpg);
    EXPECT_EQ(changed.count(), 0);
    handler->fileTypeChoosen(FrolixOutputHandler::Png);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(handler->fileType(), FrolixOutputHandler::Png);
}

}  // namespace
