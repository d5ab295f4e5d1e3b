#pragma once

#include "masking/GmModel.h"
#include "shell/TqMainWindow.h"
#include "tests/shell/ModalWatch.h"
#include "tests/shell/ScratchSettingsTest.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

// Ends a test's main window the way a user who throws the work away would: a cut-out left
// open is placed at close and the composition question follows, so every question is
// answered Discard; the close waits for the engine without blocking, so the loop runs until
// the window is gone. Then the engine thread and the model's image go too.
inline void closeMainWindowDiscarding(QPointer<TqMainWindow>& window) {
    if (window) {
        ModalWatch answerer([](QDialog* dialog) {
            if (auto* question = qobject_cast<QMessageBox*>(dialog))
                if (QAbstractButton* discard = question->button(QMessageBox::Discard))
                    discard->click();
        });
        window->close();
        QDeadlineTimer deadline(240000);   // ends only a close that would hang
        while (window && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (GmModel* model = GmModel::existing())
        model->closeImage();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The real main window, shown and active, over empty settings.
class MainWindowFixture : public ScratchSettingsTest {
protected:
    void SetUp() override {
        ScratchSettingsTest::SetUp();
        window = new TqMainWindow;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        QApplication::setActiveWindow(window);
    }
    void TearDown() override {
        closeMainWindowDiscarding(window);
        ScratchSettingsTest::TearDown();
    }

    /// The window's action with this text (menus and shortcut-only actions alike).
    QAction* action(const QString& text) const {
        for (QAction* candidate : window->findChildren<QAction*>())
            if (candidate->text() == text)
                return candidate;
        return nullptr;
    }

    QPointer<TqMainWindow> window;
};
