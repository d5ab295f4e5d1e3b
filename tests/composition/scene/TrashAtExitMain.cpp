// Runs a composition the way the program does (items placed, one trashed, the window gone,
// then the application object) and checks that the saved states of the trashed item, like
// those of the live ones, leave no temporary file behind. A process of its own, because the
// application object must really go.
#include "composition/scene/CutoutItem.h"
#include "composition/scene/FrolixItem.h"
#include "composition/scene/FrolixWidget.h"
#include "composition/scene/ItemController.h"
#include "masking/SavedCutoutState.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>

#include <cstdio>

namespace {

QPixmap square(const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return pixmap;
}

}  // namespace

int main(int argc, char** argv) {
    zqtest::enterScratchFolder();
    QString folder;
    QStringList files;
    {
        QApplication application(argc, argv);
        folder = QDir::tempPath();
        auto* view = new FrolixWidget;
        ItemController* controller = ItemController::instance();
        QList<FrolixItem*> items;
        for (const QColor& colour : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)})
            items.append(controller->addCutoutItem(square(colour), new SavedCutoutState(nullptr)));
        for (FrolixItem* item : items)
            if (auto* cutout = dynamic_cast<CutoutItem*>(item))
                files.append(cutout->savedState()->fileName());
        items[1]->trash();
        for (const QString& file : files)
            if (!QFileInfo::exists(file))
                std::printf("missing while running: %s\n", qPrintable(file));
        delete view;   // as the main window takes its views along when it closes
    }
    bool clean = files.size() == 3;
    for (const QString& file : files)
        if (QFileInfo::exists(file)) {
            std::printf("left behind: %s\n", qPrintable(file));
            clean = false;
        }
    if (!QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty())
        clean = false;
    zqtest::removeScratchFolder();
    return clean ? 0 : 1;
}
