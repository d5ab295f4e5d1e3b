#include "ModalDialogCloser.h"
#include "tests/shell/ModalSequence.h"
#include "composition/panels/CanvasSettings.h"
#include "composition/panels/PreviewWidget.h"

#include <QBuffer>
#include <QColorDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString inch = QStringLiteral("\"");

class CanvasSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings().remove("CanvavsSettings");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    static QString megapixelNumber(CanvasSettings& dialog) {
        QString text = dialog.megapixelsLabel->text();
        return text.remove(QStringLiteral(" megapixels"));
    }
    static QSize boxes(CanvasSettings& dialog) {
        return QSize(dialog.widthSpinBox->value(), dialog.heightSpinBox->value());
    }
    static QString words(CanvasSettings& dialog) { return dialog.webEmailDesc->toPlainText(); }
};

TEST_F(CanvasSettingsTest, FreshDialogHoldsTheDefaultSize) {
    CanvasSettings dialog;
    EXPECT_EQ(boxes(dialog), QSize(1160, 870));
    EXPECT_EQ(dialog.megapixelsSlider->value(), 35);
    EXPECT_EQ(words(dialog), QString("very large image"));
    EXPECT_EQ(megapixelNumber(dialog), QString("   1"));
    EXPECT_EQ(dialog.photoQualityLabel->text(), QString("9cm x 7cm"));
    EXPECT_EQ(dialog.backgroundColour(), QColor(Qt::white));
    EXPECT_EQ(dialog.previewWidget->background(), QColor(Qt::white));
    EXPECT_EQ(dialog.previewWidget->canvasWidth(), 1160);
    EXPECT_EQ(dialog.windowTitle(), QString("Canvas Settings"));
    EXPECT_EQ(dialog.photoQualityLabel->toolTip(), QString("To change units, right-click the mouse"));
}

TEST_F(CanvasSettingsTest, OpenedOnTheDefaultCanvas) {
    CanvasSettings dialog;
    dialog.setCanvasSize(QSize(400, 300));
    EXPECT_EQ(dialog.megapixelsSlider->value(), 12);
    EXPECT_EQ(megapixelNumber(dialog), QString("0.12"));
    EXPECT_EQ(words(dialog), QString("medium image"));
    EXPECT_EQ(dialog.photoQualityLabel->text(), QString("3cm x 2cm"));
    dialog.set_units_in();
    EXPECT_EQ(dialog.photoQualityLabel->text(), QString("1%1 x 1%1").arg(inch));
    EXPECT_EQ(QSettings().value("CanvavsSettings/units").toString(), inch);
}

TEST_F(CanvasSettingsTest, SliderPositionsGiveTheirSizes) {
    struct Row { int slider; QSize size; };
    CanvasSettings dialog;
    for (const Row& row : {Row{0, {40, 30}}, Row{1, {80, 60}}, Row{5, {200, 150}},
                           Row{10, {360, 270}}, Row{35, {1160, 870}}, Row{50, {1640, 1230}},
                           Row{100, {3280, 2460}}}) {
        SCOPED_TRACE(row.slider);
        dialog.megapixelsSlider->setValue(row.slider);
        EXPECT_EQ(boxes(dialog), row.size);
        EXPECT_EQ(dialog.megapixelsSlider->value(), row.slider) << "the slider stays put";
    }
    dialog.megapixelsSlider->setValue(0);
    EXPECT_EQ(words(dialog), QString("thumbnail"));
}

TEST_F(CanvasSettingsTest, ReducedAspectProducts) {
    struct Row { int a, b, product; };
    for (const Row& row : {Row{4, 3, 12}, Row{1600, 1200, 12}, Row{1920, 1080, 144},
                           Row{640, 480, 192}, Row{1000, 1000, 625}, Row{8, 4, 32},
                           Row{1, 1, 1}}) {
        SCOPED_TRACE(QString("%1 x %2").arg(row.a).arg(row.b).toStdString());
        EXPECT_EQ(CanvasSettings::reducedAspectProduct(row.a, row.b), row.product);
    }
}

TEST_F(CanvasSettingsTest, MegapixelAndWordTexts) {
    struct Row { QSize size; const char* number; const char* words; };
    CanvasSettings dialog;
    for (const Row& row : {Row{{1160, 870}, "   1", "very large image"},
                           Row{{3280, 2460}, " 8.1", "huge image"},
                           Row{{40, 30}, "0.0012", "thumbnail"},
                           Row{{10000, 10000}, "1e+02", "huge image"},
                           Row{{2000, 1000}, "   2", "huge image"},
                           Row{{3000, 1000}, "   3", "extremely wide, very tall image"},
                           Row{{50, 400}, "0.02", "very narrow, medium-height image"}}) {
        SCOPED_TRACE(row.words);
        dialog.setCanvasSize(row.size);
        EXPECT_EQ(megapixelNumber(dialog), QString(row.number));
        EXPECT_EQ(words(dialog), QString(row.words));
    }
}

TEST_F(CanvasSettingsTest, TypedSidesSetTheAspectOfLaterSliderSteps) {
    struct Row { QSize typed; QSize step; };
    CanvasSettings dialog;
    for (const Row& row : {Row{{1920, 1080}, {160, 90}}, Row{{1000, 1000}, {50, 50}}}) {
        dialog.widthSpinBox->setValue(row.typed.width());
        dialog.heightSpinBox->setValue(row.typed.height());
        for (int position : {3, 20, 47, 90}) {
            dialog.megapixelsSlider->setValue(position);
            const QSize size = boxes(dialog);
            SCOPED_TRACE(QString("%1: %2 x %3").arg(position).arg(size.width()).arg(size.height()).toStdString());
            EXPECT_EQ(size.width() % row.step.width(), 0);
            EXPECT_EQ(size.height() % row.step.height(), 0);
            EXPECT_EQ(size.width() / row.step.width(), size.height() / row.step.height());
        }
    }
}

TEST_F(CanvasSettingsTest, RotationSwapsTheSidesAndTurnsThePicture) {
    CanvasSettings dialog;
    QImage picture(4, 2, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixelColor(0, 0, Qt::red);
    dialog.setBackdropPixmap(QPixmap::fromImage(picture));

    dialog.rotateRightButton->click();
    EXPECT_EQ(boxes(dialog), QSize(870, 1160));
    EXPECT_EQ(dialog.megapixelsSlider->value(), 35);
    EXPECT_EQ(dialog.backdropPixmap().size(), QSize(2, 4));
    EXPECT_EQ(dialog.backdropPixmap().toImage().pixelColor(1, 0), QColor(Qt::red));

    dialog.rotateRightButton->click();
    EXPECT_EQ(boxes(dialog), QSize(1160, 870));
    EXPECT_EQ(dialog.backdropPixmap().toImage().pixelColor(3, 1), QColor(Qt::red))
        << "upside down";
    dialog.rotateLeftButton->click();
    dialog.rotateLeftButton->click();
    EXPECT_EQ(dialog.backdropPixmap().toImage().pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(CanvasSettingsTest, OkEmitsColourSizePictureAndSizeAgainWhileCancelIsSilent) {
    CanvasSettings dialog;
    dialog.setCanvasSize(QSize(640, 480));
    dialog.setBackgroundColour(Qt::cyan);
    QStringList order;
    QPixmap sentPicture(1, 1);
    QSize sentSize;
    QObject::connect(&dialog, &CanvasSettings::backgroundColourChanged,
                     [&](const QColor& c) { order << "colour " + c.name(); });
    QObject::connect(&dialog, &CanvasSettings::canvasSizeChanged, [&](const QSize& s) {
        order << QString("size %1x%2").arg(s.width()).arg(s.height());
    });
    QObject::connect(&dialog, &CanvasSettings::backdropPixmapChanged,
                     [&](const QPixmap& p, const QSize& s) {
                         order << "picture";
                         sentPicture = p;
                         sentSize = s;
                     });
    dialog.show();
    dialog.reject();
    EXPECT_TRUE(order.isEmpty());
    EXPECT_FALSE(dialog.isVisible());

    dialog.show();
    dialog.buttonBox->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(order, (QStringList{"colour #00ffff", "size 640x480", "picture", "size 640x480"}));
    EXPECT_TRUE(sentPicture.isNull());
    EXPECT_EQ(sentSize, QSize(640, 480));
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(CanvasSettingsTest, SettingTheColourDropsThePictureEvenWhenCancelled) {
    CanvasSettings dialog;
    QPixmap picture(10, 10);
    picture.fill(Qt::red);
    dialog.setBackdropPixmap(picture);
    {
        ModalDialogCloser cancel({}, QDialog::Rejected);
        dialog.setColourPushButton->click();
        EXPECT_EQ(cancel.closed(), 1);
    }
    EXPECT_TRUE(dialog.backdropPixmap().isNull());
    EXPECT_TRUE(dialog.previewWidget->backdrop().isNull());
    EXPECT_EQ(dialog.backgroundColour(), QColor(Qt::white));

    ModalDialogCloser choose([](QDialog* d) {
        qobject_cast<QColorDialog*>(d)->setCurrentColor(QColor(1, 2, 3));
    });
    dialog.setColourPushButton->click();
    EXPECT_EQ(dialog.backgroundColour(), QColor(1, 2, 3));
    EXPECT_EQ(dialog.previewWidget->background(), QColor(1, 2, 3));
}

TEST_F(CanvasSettingsTest, UnitsFollowTheLocaleAndABogusStoredUnitCountsAsDefault) {
    struct Row { QLocale locale; const char* stored; QString unit; };
    for (const Row& row : {Row{QLocale(QLocale::English, QLocale::UnitedStates), "", inch},
                           Row{QLocale(QLocale::English, QLocale::UnitedKingdom), "", "cm"},
                           Row{QLocale(QLocale::German, QLocale::Germany), "", "cm"},
                           Row{QLocale(QLocale::English, QLocale::UnitedStates), "cm", "cm"},
                           Row{QLocale(QLocale::English, QLocale::UnitedKingdom), "\"", inch},
                           Row{QLocale(QLocale::English, QLocale::UnitedStates), "furlong", inch},
                           Row{QLocale(QLocale::English, QLocale::UnitedKingdom), "0", "cm"}}) {
        SCOPED_TRACE(std::string(row.stored) + " " + row.locale.name().toStdString());
        QLocale::setDefault(row.locale);
        QSettings settings;
        if (*row.stored)
            settings.setValue("CanvavsSettings/units", row.stored);
        else
            settings.remove("CanvavsSettings/units");
        settings.sync();
        CanvasSettings dialog;
        EXPECT_EQ(dialog.unitKey(), row.unit);
        EXPECT_TRUE(dialog.photoQualityLabel->text().endsWith(row.unit));
        dialog.set_units("yards");
        EXPECT_EQ(dialog.unitKey(), row.locale.measurementSystem() == QLocale::ImperialUSSystem
                                        ? inch
                                        : QString("cm"));
    }
}

TEST_F(CanvasSettingsTest, ChosenPictureSetsBackdropAndSize) {
    QTemporaryDir folder;
    const QString path = folder.filePath("wide.png");
    QImage wide(10001, 10, QImage::Format_RGB32);
    wide.fill(Qt::green);
    ASSERT_TRUE(wide.save(path));
    CanvasSettings dialog;
    ModalSequence answers({chooseFile(path)});
    dialog.setImagePushButton->click();
    EXPECT_EQ(answers.handled(), 1);
    EXPECT_EQ(dialog.backdropPixmap().size(), QSize(10001, 10));
    EXPECT_EQ(boxes(dialog), QSize(10000, 10)) << "the width box clamps";
    EXPECT_DOUBLE_EQ(dialog.aspectRatio(), 1000.1) << "the aspect is the picture's";
    EXPECT_EQ(QSettings().value("FileHandling/LastImageDir").toString(), folder.path());
}

TEST_F(CanvasSettingsTest, UnreadablePicturesKeepThePreviousOneAndNameTheFile) {
    QTemporaryDir folder;
    QImage good(8, 6, QImage::Format_RGB32);
    good.fill(Qt::blue);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(good.save(&buffer, "PNG"));
    }
    const QString truncated = folder.filePath("truncated.png");
    {
        QFile file(truncated);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(png.left(40));
    }
    // A valid header that declares 20000 x 20000 pixels (400 megapixels).
    QByteArray hugeHeader = png;
    const uchar side[4] = {0x00, 0x00, 0x4E, 0x20};
    hugeHeader.replace(16, 4, reinterpret_cast<const char*>(side), 4);
    hugeHeader.replace(20, 4, reinterpret_cast<const char*>(side), 4);
    const QString huge = folder.filePath("huge.png");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(hugeHeader);
    }

    CanvasSettings dialog;
    QPixmap previous(30, 20);
    previous.fill(Qt::red);
    dialog.setBackdropPixmap(previous);
    dialog.setCanvasSize(QSize(300, 200));
    for (const QString& path : {truncated, huge}) {
        SCOPED_TRACE(path.toStdString());
        QString warning;
        ModalSequence answers({chooseFile(path), [&](QDialog* d) {
                                   auto* box = qobject_cast<QMessageBox*>(d);
                                   ASSERT_NE(box, nullptr);
                                   warning = box->text();
                                   box->accept();
                               }});
        dialog.setImagePushButton->click();
        EXPECT_EQ(answers.handled(), 2);
        EXPECT_TRUE(warning.contains(QFileInfo(path).fileName())) << warning.toStdString();
        EXPECT_EQ(dialog.backdropPixmap().toImage(), previous.toImage());
        EXPECT_EQ(dialog.previewWidget->backdrop().toImage(), previous.toImage());
        EXPECT_EQ(boxes(dialog), QSize(300, 200));
    }
}

TEST_F(CanvasSettingsTest, PreviewPaintsTheCanvasWithAStretchedPicture) {
    PreviewWidget preview;
    preview.resize(122, 122);
    preview.setCanvasWidth(400);
    preview.setCanvasHeight(200);
    preview.setBackground(Qt::yellow);
    QImage shown = preview.grab().toImage();
    // s = 120 / 400: a canvas of 120 x 60 at (1, 31), outlined in black
    EXPECT_EQ(shown.pixelColor(61, 61), QColor(Qt::yellow));
    EXPECT_EQ(shown.pixelColor(61, 31), QColor(Qt::black));
    EXPECT_EQ(shown.pixelColor(1, 61), QColor(Qt::black));
    EXPECT_NE(shown.pixelColor(61, 20), QColor(Qt::yellow));

    QPixmap square(10, 10);
    square.fill(Qt::magenta);
    preview.setBackdrop(square);
    shown = preview.grab().toImage();
    for (const QPoint& p : {QPoint(2, 32), QPoint(61, 61), QPoint(120, 90)})
        EXPECT_EQ(shown.pixelColor(p), QColor(Qt::magenta)) << p.x() << "," << p.y();
    EXPECT_EQ(shown.pixelColor(61, 31), QColor(Qt::black));
}

}  // namespace
