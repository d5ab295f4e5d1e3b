#pragma once

#include <QCoreApplication>
#include <QSettings>

#include <gtest/gtest.h>

// Tests that read and write the program's own settings: each starts and ends with them empty.
class ScratchSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QCoreApplication::setOrganizationName(QStringLiteral("BrenmoorTech"));
        QCoreApplication::setApplicationName(QStringLiteral("Zolquist"));
        QSettings().clear();
    }
    void TearDown() override { QSettings().clear(); }
};
