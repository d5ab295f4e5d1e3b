#include "shell/StyleSheetVariables.h"
#include "shell/TitleWidget.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

// The application library is static: its resources are registered by hand, outside any namespace.
static void registerProgramResources() { Q_INIT_RESOURCE(resources); }

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString fixture(const char* name) {
    return QStringLiteral(ZQ_STYLE_FIXTURES_DIR "/") + QString::fromLatin1(name);
}

// Collects Qt's warnings while it exists, so that a sheet Qt cannot parse shows up.
class WarningCatcher {
public:
    WarningCatcher() { previous_ = qInstallMessageHandler(&WarningCatcher::catchMessage); }
    ~WarningCatcher() { qInstallMessageHandler(previous_); }
    static QStringList& caught() {
        static QStringList messages;
        return messages;
    }

private:
    static void catchMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtInfoMsg)
            caught().append(message);
    }
    QtMessageHandler previous_;
};

const QString sheet = QString::fromUtf8(fileBytes(fixture("sheet.css")));

struct ExpansionCase {
    const char* name;
    const char* variables;
    QString expected;
};

class Expansion : public ::testing::TestWithParam<ExpansionCase> {};

TEST_P(Expansion, PlaceholdersBecomeTheirText) {
    ASSERT_FALSE(sheet.isEmpty());
    const ExpansionCase& c = GetParam();
    const QByteArray variables = fileBytes(fixture(c.variables));
    EXPECT_EQ(expandStyleSheet(sheet, variables), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    StyleSheet, Expansion,
    ::testing::Values(
        ExpansionCase{"RepeatedEverywhereCaseSensitive", "variables.xml",
                      "QWidget { background-color: rgb(1, 2, 3); color: white; }\n"
                      "QPushButton { background-color: rgb(1, 2, 3); border: 1px solid red; }\n"
                      "QLabel { /*regexp_back*/ }\n"},
        ExpansionCase{"MissingAndEmptyKeysAndOtherElementsSkipped", "missing-keys.xml",
                      "QWidget { background-color: rgb(1, 2, 3); color: white; }\n"
                      "QPushButton { background-color: rgb(1, 2, 3); /*REGEXP_BORDER*/ }\n"
                      "QLabel { /*regexp_back*/ }\n"},
        ExpansionCase{"InDocumentOrder", "document-order.xml",
                      "QWidget { background-color: rgb(1, 2, 3); color: white; }\n"
                      "QPushButton { background-color: rgb(1, 2, 3); background-color: rgb(1, 2, 3); border: none; }\n"
                      "QLabel { /*regexp_back*/ }\n"},
        ExpansionCase{"MalformedChangesNothing", "malformed.xml", sheet},
        ExpansionCase{"EmptyChangesNothing", "empty.xml", sheet}),
    [](const ::testing::TestParamInfo<ExpansionCase>& info) { return info.param.name; });

TEST(StyleSheet, AMalformedFileIsReported) {
    WarningCatcher catcher;
    WarningCatcher::caught().clear();
    expandStyleSheet(sheet, fileBytes(fixture("malformed.xml")));
    ASSERT_EQ(WarningCatcher::caught().size(), 1);
    EXPECT_TRUE(WarningCatcher::caught().front().startsWith(
        QStringLiteral("Style sheet variables not read")));
}

class ProgramSheet : public ::testing::Test {
protected:
    void SetUp() override { registerProgramResources(); }
    void TearDown() override { qApp->setStyleSheet(QString()); }

    static QString programSheet() { return QString::fromUtf8(fileBytes(QStringLiteral(":/fun.css"))); }
    static QByteArray programVariables() { return fileBytes(QStringLiteral(":/funCssVars.xml")); }
};

TEST_F(ProgramSheet, EveryPlaceholderHasItsVariableAndEveryVariableIsUsed) {
    const QString raw = programSheet();
    ASSERT_FALSE(raw.isEmpty());
    const QRegularExpression placeholder(QStringLiteral("/\\*REGEXP_[A-Z_]+\\*/"));
    EXPECT_TRUE(raw.contains(placeholder));
    const QString expanded = expandStyleSheet(raw, programVariables());
    EXPECT_FALSE(expanded.contains(QStringLiteral("REGEXP_"))) << "a placeholder without a variable";

    const QRegularExpression key(QStringLiteral("key=\"([^\"]+)\""));
    auto keys = key.globalMatch(QString::fromUtf8(programVariables()));
    int count = 0;
    while (keys.hasNext()) {
        const QString k = keys.next().captured(1);
        EXPECT_TRUE(raw.contains(k)) << k.toStdString() << " is never used";
        ++count;
    }
    EXPECT_EQ(count, 29);
}

TEST_F(ProgramSheet, ExpandedAndUnexpandedSheetsBothParse) {
    for (const bool expand : {true, false}) {
        SCOPED_TRACE(expand);
        const QString text = expand ? expandStyleSheet(programSheet(), programVariables())
                                    : programSheet();
        WarningCatcher catcher;
        WarningCatcher::caught().clear();
        qApp->setStyleSheet(text);
        QPushButton button(QStringLiteral("OK"));
        button.resize(80, 30);
        button.grab();
        EXPECT_TRUE(WarningCatcher::caught().isEmpty())
            << WarningCatcher::caught().join(QLatin1Char('\n')).toStdString();
    }
}

TEST_F(ProgramSheet, ColoursComeFromTheVariables) {
    qApp->setStyleSheet(expandStyleSheet(programSheet(), programVariables()));

    QWidget plain;
    plain.resize(40, 40);
    const QImage background = plain.grab().toImage();
    EXPECT_EQ(QColor(background.pixel(20, 20)), QColor(87, 77, 72));

    QPushButton button(QString(), nullptr);
    button.resize(60, 41);
    const QImage face = button.grab().toImage();
    // The vertical gradient is lightest in the middle and darkest at top and bottom.
    const QColor middle(face.pixel(30, 20));
    EXPECT_NEAR(middle.red(), 156, 6);
    EXPECT_NEAR(middle.green(), 136, 6);
    EXPECT_NEAR(middle.blue(), 130, 6);
    EXPECT_LT(QColor(face.pixel(30, 3)).red(), middle.red());

    TitleWidget bar(QStringLiteral("Navigator"), nullptr);
    bar.resize(120, 24);
    bar.show();
    EXPECT_EQ(QColor(bar.grab().toImage().pixel(1, 1)), QColor(0, 189, 242))
        << "docked panels keep their blue title bar under the sheet";
}

}  // namespace
