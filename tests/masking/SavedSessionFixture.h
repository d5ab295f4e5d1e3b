#pragma once

#include "shell/FileHandler.h"
#include "masking/GmModel.h"
#include "masking/SessionStream.h"
#include "common/StreamedTypes.h"
#include "tests/masking/SavedTargets.h"
#include "masking/BrushSizeValue.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDataStream>
#include <QEvent>
#include <QVariant>

#include <gtest/gtest.h>

namespace savetest {

/// `value` as a session stream spells it.
inline QByteArray bytesOf(const QVariant& value) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(SessionStream::currentVersion);
    out << value;
    return bytes;
}

// A fresh masking model and file handler for each test that saves or restores a session, with
// the stand-in targets registered with the factory.
class SavedSessionFixture : public ::testing::Test {
protected:
    void SetUp() override {
        registerStreamedTypes();
        registerSavedTargets();
        BrushSizeValue::instance()->setBrushSize(3);
        handler = new FileHandler(nullptr);
        model = GmModel::instance();
    }
    void TearDown() override {
        model->closeImage();
        delete model;
        delete handler;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    FileHandler* handler = nullptr;
    GmModel* model = nullptr;
};

}  // namespace savetest
