#pragma once

#include "masking/GmModel.h"
#include "masking/GmStatusArray.h"
#include "masking/NamedImage.h"
#include "masking/OstrivalCommand.h"
#include "masking/OstrivalThread.h"
#include "masking/TqSourceImage.h"
#include "tests/masking/EngineTestSupport.h"
#include "tests/masking/MaskPixels.h"
#include "masking/BrushSizeValue.h"

#include <QCoreApplication>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <utility>

/// A masking model on a real engine command thread, with a record of every command that
/// finished (its progress text and result) or was discarded.
class MaskingEngineFixture : public ::testing::Test {
protected:
    struct Finished {
        QString name;
        int result;
    };

    void SetUp() override
    {
        BrushSizeValue::instance()->setBrushSize(3);
        thread = new OstrivalThread;
        model = GmModel::instance();
        QObject::connect(thread, &OstrivalThread::commandFinished, [this](OstrivalCommand* c) {
            finished.push_back({c->name(), c->result()});
        });
        QObject::connect(thread, &OstrivalThread::commandDiscarded,
                         [this](OstrivalCommand* c) { discarded.append(c->name()); });
        QObject::connect(thread, &OstrivalThread::deadLibrary,
                         [this](const QString& command, const QString&) { deadIn.append(command); });
    }
    void TearDown() override
    {
        if (!thread->isLibraryDead()) {
            model->closeImage();
            waitIdle();
        }
        delete thread;
        delete model;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(deadIn.isEmpty());
    }
    bool waitIdle()
    {
        return zqtest::waitUntil([this] {
            return thread->isIdle() && !model->isWaitingToOpenSession() && thread->isOpen();
        }, 120);
    }
    void open(TqSourceImage* source)
    {
        ASSERT_TRUE(model->setImage(GmSession::ChooseSettings, 1, source));
        ASSERT_TRUE(waitIdle());
    }
    void open(const QImage& image)
    {
        open(new TqSourceImage(NamedImage(image, QUrl(QStringLiteral("file:///case.png")))));
    }
    void analyse()
    {
        model->imageSmeg()->analyse();
        ASSERT_TRUE(waitIdle());
        ASSERT_TRUE(model->imageSmeg()->isAnalysisReady());
    }
    /// Submits `command` and waits until the queue is empty.
    void run(OstrivalCommand* command)
    {
        thread->submit(command);
        ASSERT_TRUE(waitIdle());
    }
    int statusAt(int x, int y) const
    {
        return model->statusArray()->statusImage().pixelIndex(x, y);
    }
    /// The working pixels whose status passes `test`.
    masktest::PixelSet pixelsWhere(const std::function<bool(int)>& test) const
    {
        masktest::PixelSet pixels;
        const QImage& image = model->statusArray()->statusImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (test(image.pixelIndex(x, y)))
                    pixels.insert({x, y});
        return pixels;
    }
    masktest::PixelSet pixelsWithFlag(int flag) const
    {
        return pixelsWhere([flag](int status) { return (status & flag) != 0; });
    }
    masktest::PixelSet pixelsWithStatus(int status) const
    {
        return pixelsWhere([status](int s) { return s == status; });
    }
    /// Results of the finished commands with this progress text, in order.
    std::vector<int> resultsOf(const QString& name) const
    {
        std::vector<int> results;
        for (const Finished& f : finished)
            if (f.name == name)
                results.push_back(f.result);
        return results;
    }

    OstrivalThread* thread = nullptr;
    GmModel* model = nullptr;
    std::vector<Finished> finished;
    QStringList discarded;
    QStringList deadIn;
};
