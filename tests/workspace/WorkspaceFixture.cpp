#include "tests/workspace/WorkspaceFixture.h"

#include "workspace/GmTool.h"
#include "workspace/ImageView.h"
#include "workspace/ModelPort.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace zqtest {

QImage benchPhoto() {
    QImage photo(QStringLiteral(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png"));
    EXPECT_FALSE(photo.isNull()) << "the test photo is missing";
    return photo.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

ViewWindow::ViewWindow(const QImage& picture, int width, int height)
    : window_(std::make_unique<QWidget>()) {
    ModelPort::instance()->setPictures(picture, QImage());
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new ImageView(window_.get());
    layout->addWidget(view_);
    GmTool::setImageView(view_);
    window_->resize(width, height);
    window_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QCoreApplication::processEvents();
}

ViewWindow::~ViewWindow() {
    window_.reset();
    GmTool::setImageView(nullptr);
    ModelPort::instance()->setPictures(QImage(), QImage());
}

bool waitFor(const std::function<bool()>& done) {
    QDeadlineTimer deadline(240000);   // ends only a wait that would hang
    while (!done()) {
        if (deadline.hasExpired()) {
            ADD_FAILURE() << "gave up waiting";
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace zqtest
