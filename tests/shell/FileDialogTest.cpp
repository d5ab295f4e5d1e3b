// The program's file dialogs as the user meets them: drawn with the program's style, and placed
// over the window that asks.
#include "composition/panels/CanvasSettings.h"
#include "common/FileNameDialog.h"
#include "shell/StyleSheetVariables.h"
#include "tests/shell/MainWindowFixture.h"
#include "tests/shell/ModalWatch.h"
#include "workspace/ImageView.h"

#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QImage>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

// The application library is static: its resources are registered by hand, outside any namespace.
static void registerProgramResources() { Q_INIT_RESOURCE(resources); }

namespace {

QByteArray resourceBytes(const char* name) {
    QFile file(QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The style and the style sheet the program sets up at start.
class ProgramStyle : public ::testing::Test {
protected:
    void SetUp() override {
        registerProgramResources();
        QApplication::setStyle(new QProxyStyle(QStringLiteral("Fusion")));
        qApp->setStyleSheet(expandStyleSheet(QString::fromUtf8(resourceBytes(":/fun.css")),
                                             resourceBytes(":/funCssVars.xml")));
    }
    void TearDown() override { qApp->setStyleSheet(QString()); }
};

// How many pixels of the button's face differ from its background. The background alone is
// the same all along each row (a top-to-bottom gradient at most); a 16-pixel picture squeezed
// into no room by padding leaves a line of a pixel or two, drawn whole a few dozen at least.
int picturePixels(QToolButton* button) {
    const QImage face = button->grab().toImage();
    const int frame = 2;
    int count = 0;
    for (int y = frame; y < face.height() - frame; ++y)
        for (int x = frame + 1; x < face.width() - frame; ++x)
            count += face.pixel(x, y) != face.pixel(frame, y);
    return count;
}

TEST_F(ProgramStyle, FileDialogsDrawTheirNavigationPicturesAndWholeSizes) {
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("a picture with a long name.png")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1047000, 'x'));   // "1,022.5 KiB": the widest size the list shows
    file.close();

    bool answered = false;
    ModalWatch watch([&](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        answered = true;
        files->findChild<QToolButton*>(QStringLiteral("detailModeButton"))->click();
        auto* details = files->findChild<QTreeView*>(QStringLiteral("treeView"));
        ASSERT_NE(details, nullptr);
        auto* model = qobject_cast<QFileSystemModel*>(details->model());
        ASSERT_NE(model, nullptr);
        // The folder is read on the model's own thread: wait until the list shows the file.
        const QModelIndex size = model->index(file.fileName(), 1);
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return size.isValid() && !size.data().toString().isEmpty() &&
                   details->visualRect(size).isValid();
        }, 240000));
        files->grab();   // lays everything out as it is drawn

        for (const char* name : {"backButton", "forwardButton", "toParentButton",
                                 "newFolderButton", "listModeButton", "detailModeButton"}) {
            SCOPED_TRACE(name);
            auto* button = files->findChild<QToolButton*>(QString::fromLatin1(name));
            ASSERT_NE(button, nullptr);
            ASSERT_FALSE(button->icon().isNull());
            EXPECT_GE(picturePixels(button), 30) << "a blank square";
        }

        const QString text = size.data().toString();
        EXPECT_TRUE(text.endsWith(QStringLiteral("KiB"))) << text.toStdString();
        EXPECT_GE(details->header()->sectionSize(1), details->sizeHintForIndex(size).width())
            << text.toStdString() << " does not fit its column";
        dialog->reject();
    });
    EXPECT_TRUE(FileNameDialog::askOpen(nullptr, QStringLiteral("Open"), folder.path(),
                                        QStringLiteral("Images (*.png)"))
                    .isEmpty());
    EXPECT_TRUE(answered);
}

// `inner` opens over `outer`: its centre lies on it (centred as far as the screen allows).
void expectOver(const QWidget* inner, const QWidget* outer) {
    EXPECT_TRUE(outer->frameGeometry().contains(inner->frameGeometry().center()))
        << "at " << inner->x() << "," << inner->y() << " size " << inner->width() << "x"
        << inner->height() << " over " << outer->x() << "," << outer->y() << " size "
        << outer->width() << "x" << outer->height();
}

class DialogPlacementTest : public MainWindowFixture {};

TEST_F(DialogPlacementTest, CanvasSettingsAndItsFileDialogOpenOverTheMainWindow) {
    // Far from the screen's top left corner, where a dialog without a place of its own opens.
    const QRect screen = window->screen()->availableGeometry();
    window->setGeometry(screen.right() - 480, screen.bottom() - 340, 480, 340);
    ASSERT_EQ(window->currentViewTab(), int(ImageView::CompositionTab));
    action(QStringLiteral("Set Up Canvas"))->trigger();
    CanvasSettings* settings = theCanvasSettings;
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(settings));
    EXPECT_EQ(settings->parentWidget(), window.data());
    expectOver(settings, window);

    bool asked = false;
    ModalWatch watch([&](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        asked = true;
        EXPECT_EQ(files->window()->parentWidget(), settings);
        expectOver(files, settings);
        dialog->reject();
    });
    settings->setImagePushButton->click();
    EXPECT_TRUE(asked);
    settings->reject();
}

}  // namespace
