// Where the window meets parts that are still being built: the masking brushes, the edge
// tools, the view options panel, the property panel and the composition commands. Each hook
// is the one place to change when its part arrives; until then it reports that the part is
// missing, the window goes on without it and the actions that need it stay disabled.
//
// The slots at the end belong to saving, closing, the cut-out hand-off and the preferences;
// their actions and connections exist already.
#include "shell/TqMainWindow.h"

#include "masking/GmModel.h"
#include "shell/AboutBox.h"
#include "shell/LogStream.h"
#include "shell/TqApp.h"
#include "shell/WebAddresses.h"
#include "workspace/GmTool.h"

// --- Parts still to come ---------------------------------------------------------------------

// "DeleteLocalTool", "DeleteExactTool", "ComplexExactTool" or "EraseExactTool", built with the
// shared tool action group, no menu and `toolOptions_`.
GmTool* TqMainWindow::createMaskingBrush(const char* /*name*/) { return nullptr; }

GmTool* TqMainWindow::createEdgeFindingTool() { return nullptr; }

// Its options widget goes into the "Options" tool bar; it has the signals
// `setBinaryBlendRatioSignal(bool)` and `setAutoBlueWidthToChoiceSignal(int)`.
GmTool* TqMainWindow::createEdgeBlendingTool() { return nullptr; }

// The view options panel of the status bar; its layout takes the zoom controls.
QWidget* TqMainWindow::createViewOptions() { return nullptr; }

// The property panel: built after the composition view, docked in the dock column.
GmSubWindow* TqMainWindow::createPropertyPanel() { return nullptr; }

// Registers the command factory named `commandName` for `action` with the command mapper and
// connects the action's `triggered()` to the mapper; false while there is no command mapper.
bool TqMainWindow::connectCompositionCommand(QAction* /*action*/, const char* /*commandName*/) {
    return false;
}

void TqMainWindow::setViewOptionsShowVectorEdgesEnabled(bool /*enabled*/) {}

void TqMainWindow::setViewOptionsShowVectorEdges(bool /*on*/) {}

void TqMainWindow::emitAutoBlueWidth(int choice) {
    if (edgeBlendingTool_)
        QMetaObject::invokeMethod(edgeBlendingTool_, "setAutoBlueWidthToChoiceSignal",
                                  Qt::DirectConnection, Q_ARG(int, choice));
}

// --- Saving, closing, cut-out hand-off and preferences ---------------------------------------

bool TqMainWindow::maybeSaveCutout(const QString& /*title*/) { return true; }

void TqMainWindow::closeCutout() {
    editedCutoutState = nullptr;
    if (GmModel* model = GmModel::existing())
        model->closeImage();
    if (imageView_)
        imageView_->ensureViewTab(ImageView::CompositionTab, ImageView::CompositionTab);
}

namespace {

void notBuiltYet(const char* what) {
    beginLogLine() << "TqMainWindow: " << what << " is not available yet";
    endLogLine();
}

}  // namespace

void TqMainWindow::fileSaveSlot() { notBuiltYet("Save"); }
void TqMainWindow::fileSaveAsSlot() { notBuiltYet("Save As"); }
void TqMainWindow::saveAndApplySlot() { notBuiltYet("Save and Apply"); }
void TqMainWindow::createCutoutItemDone() { notBuiltYet("Finish"); }
void TqMainWindow::createCutoutItemCancelled() { notBuiltYet("Cancel"); }
void TqMainWindow::invokePreferencesSlot() { notBuiltYet("Preferences"); }
void TqMainWindow::facebookCommunitySlot() { notBuiltYet("the Facebook group page"); }
void TqMainWindow::flickrCommunitySlot() { notBuiltYet("the Flickr group page"); }

void TqMainWindow::aboutSlot() { showAboutBox(this); }

void TqMainWindow::tutorialsSlot() {
    if (theApp)
        openWebPage(theApp->tutorialsAddress());
}

void TqMainWindow::homePageSlot() { openWebPage(distributorBaseAddress()); }
