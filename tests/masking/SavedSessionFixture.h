#pragma once

#include "masking/GmModel.h"
#include "masking/SavedCutoutState.h"
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

// A fresh masking model for each test that saves or restores a session, with the stand-in
// targets registered with the factory. A reopened picture becomes the model's new cut-out, as
// the program's own opening makes it.
class SavedSessionFixture : public ::testing::Test {
protected:
    void SetUp() override {
        registerStreamedTypes();
        registerSavedTargets();
        BrushSizeValue::instance()->setBrushSize(3);
        model = GmModel::instance();
        SavedCutoutState::setPictureOpener([](TqSourceImage* picture) {
            GmModel* opened = GmModel::instance();
            opened->closeImage();
            // The model owns the picture from here on, whatever it answers.
            opened->setImage(1, 1, picture, nullptr);
            return true;
        });
    }
    void TearDown() override {
        model->closeImage();
        delete model;
        SavedCutoutState::setPictureOpener({});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    GmModel* model = nullptr;
};

}  // namespace savetest
