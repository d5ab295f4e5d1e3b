// The file handler's work with the composition: placing an opened picture, New Composition and
// the export of the final image, through its real dialogs answered as each comes up.
#include "CompositionFixture.h"
#include "TestPixmapItem.h"
#include "classification/JxInterface.h"
#include "composition/scene/BackdropController.h"
#include "composition/scene/FinalImageAssembler.h"
#include "composition/scene/FrolixItem.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/FrolixOutputHandler.h"
#include "composition/scene/ItemController.h"
#include "shell/FileHandler.h"
#include "common/FileNameDialog.h"
#include "masking/GmModel.h"
#include "masking/OstrivalCommand.h"
#include "masking/OstrivalThread.h"
#include "masking/TqSourceImage.h"
#include "tests/masking/EngineTestSupport.h"
#include "tests/shell/ModalSequence.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const QString pngFilter = QStringLiteral("PNG image (*.png)");
const QString jpegFilter = QStringLiteral("JPEG image (*.jpg)");

// Keeps the box's text in `text` and presses `button` (the default one when none is named).
std::function<void(QDialog*)> answerBox(QString* text, const QString& button = QString()) {
    return [text, button](QDialog* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        *text = box->windowTitle() + QLatin1Char('|') + box->text();
        QAbstractButton* press = box->defaultButton();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button)
                press = b;
        ASSERT_NE(press, nullptr);
        press->click();
    };
}

const auto cancelDialog = [](QDialog* dialog) { dialog->reject(); };

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class FileHandlerCompositionTest : public CompositionFixture {
protected:
    void SetUp() override {
        CompositionFixture::SetUp();
        QSettings().remove(QStringLiteral("FileHandling"));
        QSettings().remove(QStringLiteral("OnImageLoad"));
        handler = new FileHandler(nullptr);
        FileNameDialog::setLastImageDir(folder.filePath(QStringLiteral("any")));
        FrolixOutputHandler::instance()->fileTypeChoosen(FrolixOutputHandler::Jpg);
    }
    void TearDown() override {
        delete handler;
        if (GmModel* model = GmModel::existing()) {
            model->closeImage();
            delete model;
        }
        QSettings().remove(QStringLiteral("OnImageLoad"));
        CompositionFixture::TearDown();
    }
    QString path(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }

    QTemporaryDir folder;
    FileHandler* handler = nullptr;
};

TEST_F(FileHandlerCompositionTest, ExportWritesAPixelExactPngWithAlphaAndAReadableJpeg) {
    theBackdropController->setBackgroundColor(QColor(10, 20, 30, 100));
    addItem(QSize(20, 10), Qt::red, QPointF(5, 5));
    QSignalSpy types(FrolixOutputHandler::instance(), &FrolixOutputHandler::fileTypeChanged);

    // No suffix typed, the PNG entry selected: ".png" is added and PNG becomes the type.
    {
        ModalSequence answers({chooseFile(path("out"), pngFilter)});
        ASSERT_TRUE(handler->fileSaveAsSlot());
    }
    const QImage rendering = renderFinalPixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage png = QImage(path("out.png")).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png, rendering);
    EXPECT_EQ(qAlpha(png.pixel(390, 290)), 100);   // the translucent background stays so
    EXPECT_EQ(FrolixOutputHandler::instance()->fileType(), FrolixOutputHandler::Png);
    EXPECT_EQ(handler->finalImageName(), path("out.png"));
    EXPECT_FALSE(FrolixObject::instance()->isModified());

    // The last export's name is proposed; a suffix in capitals is kept as typed and chooses
    // JPEG.
    QString proposed;
    {
        ModalSequence answers({[this, &proposed](QDialog* dialog) {
            proposed = qobject_cast<QFileDialog*>(dialog)->selectedFiles().value(0);
            chooseFile(path("again.JPG"), pngFilter)(dialog);
        }});
        ASSERT_TRUE(handler->fileSaveAsSlot());
    }
    EXPECT_EQ(proposed, path("out.png"));
    const QImage jpeg(path("again.JPG"));
    EXPECT_EQ(jpeg.size(), QSize(400, 300));
    EXPECT_EQ(FrolixOutputHandler::instance()->fileType(), FrolixOutputHandler::Jpg);
    EXPECT_EQ(types.count(), 2);
    EXPECT_EQ(FileNameDialog::lastImageDir(), folder.path());
}

TEST_F(FileHandlerCompositionTest, AFailedWriteIsShownWithItsReasonAndNotCountedAsSaved) {
    addItem(QSize(20, 10), Qt::red);
    QFile plain(path("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("locked")));
    QFile::setPermissions(path("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const struct { const char* name; const char* file; bool evenForRoot; } cases[] = {
        {"missing folder", "missing/out.png", true},
        {"a file where a folder should be", "plain/out.png", true},
        {"read-only folder", "locked/out.png", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.evenForRoot && ::geteuid() == 0)
            continue;   // the superuser writes anyway
        const int countBefore = handler->savedModificationCount();
        QString shown;
        bool saved = true;
        {
            ModalSequence answers({chooseFile(path(c.file), pngFilter), answerBox(&shown)});
            saved = handler->fileSaveAsSlot();
            EXPECT_EQ(answers.handled(), 2);
        }
        EXPECT_FALSE(saved);
        EXPECT_TRUE(shown.contains(QStringLiteral("could not be saved"))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QDir::toNativeSeparators(path(c.file))));
        EXPECT_EQ(handler->savedModificationCount(), countBefore);
        // The failed name is proposed next time.
        EXPECT_EQ(handler->finalImageName(), path(c.file));
        EXPECT_TRUE(FrolixObject::instance()->isModified());
    }
    QFile::setPermissions(path("locked"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
    EXPECT_FALSE(QFileInfo::exists(path("locked/out.png")));
    EXPECT_TRUE(QFileInfo(path("plain")).isFile());
}

TEST_F(FileHandlerCompositionTest, ThePicturesOwnFileIsRefusedAndTheDialogAsksAgain) {
    QImage picture(16, 12, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(path("source.png")));
    const QByteArray before = contentOf(path("source.png"));
    ASSERT_TRUE(GmModel::instance()->setImage(GmSession::KeepSettings, 1,
                                              new TqSourceImage(path("source.png"))));
    QString warning;
    bool saved = true;
    {
        // Named through another spelling of the same path; the dialog asks before replacing
        // the file, and the refusal comes after that.
        QString replace;
        ModalSequence answers({chooseFile(folder.path() + QStringLiteral("/./source.png"), pngFilter),
                               answerBox(&replace, QStringLiteral("&Yes")), answerBox(&warning),
                               cancelDialog});
        saved = handler->fileSaveAsSlot();
        EXPECT_EQ(answers.handled(), 4);
        EXPECT_TRUE(replace.contains(QStringLiteral("source.png"))) << replace.toStdString();
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(warning, QStringLiteral("Save As|You can not save the generated file over the original file"));
    EXPECT_EQ(contentOf(path("source.png")), before);
    EXPECT_TRUE(handler->finalImageName().isEmpty());   // cancelling leaves it as it was
}

TEST_F(FileHandlerCompositionTest, NewCompositionAsksOnlyAboutUnsavedChanges) {
    // Unchanged since the last reset: no question, and the composition starts afresh.
    {
        ModalSequence answers({cancelDialog});
        handler->compositionNewSlot();
        EXPECT_EQ(answers.handled(), 0);
    }
    EXPECT_TRUE(FrolixObject::instance()->isCompositionOpen());

    // Changed: Cancel (the default) keeps everything; "New composition" clears the canvas.
    addItem(QSize(20, 10), Qt::red);
    handler->setProjectName(QStringLiteral("session"));
    QString question;
    {
        ModalSequence answers({answerBox(&question)});
        handler->compositionNewSlot();
    }
    EXPECT_EQ(question, QStringLiteral("New composition|Starting a new composition will discard the "
                                       "current composition.\nDo you wish to proceed?"));
    EXPECT_EQ(liveItems.size(), 1);
    EXPECT_EQ(handler->projectName(), QStringLiteral("session"));
    {
        ModalSequence answers({answerBox(&question, QStringLiteral("New composition"))});
        handler->compositionNewSlot();
    }
    EXPECT_TRUE(liveItems.isEmpty());
    EXPECT_TRUE(handler->projectName().isEmpty());
    EXPECT_TRUE(FrolixObject::instance()->isCompositionOpen());

    // Right after a save nothing is asked.
    addItem(QSize(20, 10), Qt::blue);
    {
        ModalSequence answers({chooseFile(path("saved.png"), pngFilter)});
        ASSERT_TRUE(handler->fileSaveAsSlot());
    }
    {
        ModalSequence answers({cancelDialog});
        handler->compositionNewSlot();
        EXPECT_EQ(answers.handled(), 0);
    }
    EXPECT_TRUE(liveItems.isEmpty());
    EXPECT_TRUE(handler->finalImageName().isEmpty());
}

// A command that does nothing but, like any engine change, counts as a modification.
class ModifyingCommand : public OstrivalCommand {
public:
    ModifyingCommand() : OstrivalCommand(nullptr, QStringLiteral("modify")) {}
    bool prepare() override { return true; }
    void execute() override { result_ = JxOk; }
    void hasFinished() override {}
};

TEST_F(FileHandlerCompositionTest, OnlyASuccessfulExportRecordsTheEngineModificationCount) {
    addItem(QSize(20, 10), Qt::red);
    OstrivalThread thread;
    auto modify = [&thread](int times) {
        const int target = thread.modificationCount() + times;
        for (int i = 0; i < times; ++i)
            thread.submit(new ModifyingCommand);
        return zqtest::waitUntil([&] { return thread.modificationCount() == target; });
    };
    ASSERT_TRUE(modify(2));
    {
        ModalSequence answers({chooseFile(path("counted.png"), pngFilter)});
        ASSERT_TRUE(handler->fileSaveAsSlot());
    }
    EXPECT_EQ(handler->savedModificationCount(), 2);

    ASSERT_TRUE(modify(1));
    QString shown;
    {
        ModalSequence answers({chooseFile(path("missing/out.png"), pngFilter), answerBox(&shown)});
        EXPECT_FALSE(handler->fileSaveAsSlot());
    }
    EXPECT_EQ(handler->savedModificationCount(), 2);
    EXPECT_FALSE(shown.isEmpty());
}

// Chooses `radio` in the cut-out choice dialog and presses OK.
std::function<void(QDialog*)> choose(const char* radio) {
    return [radio](QDialog* dialog) {
        dialog->findChild<QRadioButton*>(QString::fromLatin1(radio))->click();
        dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
            ->button(QDialogButtonBox::Ok)->click();
    };
}

TEST_F(FileHandlerCompositionTest, AnOpenedPictureBecomesTheBackdropOrStaysTheCallers) {
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::magenta);
    ASSERT_TRUE(picture.save(path("backdrop.png")));

    // The backdrop takes a copy of the picture and its size, and the picture is used up.
    QPointer<TqSourceImage> source = new TqSourceImage(path("backdrop.png"));
    {
        ModalSequence answers({choose("backdropRadioButton")});
        EXPECT_TRUE(handler->openSourceImage(source, nullptr));
    }
    EXPECT_TRUE(source.isNull());
    EXPECT_EQ(FrolixObject::instance()->canvasRect(), QRect(0, 0, 30, 20));
    ASSERT_EQ(theBackdropController->backdropPixmap().size(), QSize(30, 20));
    EXPECT_EQ(theBackdropController->backdropPixmap().toImage().pixel(3, 3), QColor(Qt::magenta).rgb());

    // Cancelled: the caller keeps the picture.
    auto* kept = new TqSourceImage(path("backdrop.png"));
    {
        ModalSequence answers({cancelDialog});
        EXPECT_FALSE(handler->openSourceImage(kept, nullptr));
    }
    EXPECT_EQ(kept->name(), path("backdrop.png"));   // still alive and untouched
    delete kept;
    EXPECT_FALSE(handler->openSourceImage(nullptr, nullptr));
}

TEST_F(FileHandlerCompositionTest, APictureChosenAsAnItemIsPlacedOnTheCanvasAndTaken) {
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::magenta);
    ASSERT_TRUE(picture.save(path("item.png")));
    QSettings().setValue(QStringLiteral("OnImageLoad"), 2);   // as an item, without asking
    QPointer<TqSourceImage> source = new TqSourceImage(path("item.png"));
    EXPECT_TRUE(handler->openSourceImage(source, nullptr));
    // The new item's saved cut-out state owns the picture now.
    EXPECT_FALSE(source.isNull());
    EXPECT_EQ(FrolixItem::selectedItems().size(), 1);
}

}  // namespace
