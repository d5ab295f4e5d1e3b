#include "shell/CutoutChoice.h"
#include "shell/StyleSheetVariables.h"
#include "common/TitleWidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

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
    EXPECT_EQ(count, 36);
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

// The pixels of a check box's or radio button's indicator, where the style lays it out, as the
// dialog shows them.
QImage indicatorPixels(QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    const QStyle::SubElement element = qobject_cast<QRadioButton*>(button)
                                           ? QStyle::SE_RadioButtonIndicator
                                           : QStyle::SE_CheckBoxIndicator;
    const QRect area = button->style()->subElementRect(element, &option, button);
    QWidget* dialog = button->window();
    return dialog->grab(QRect(button->mapTo(dialog, area.topLeft()), area.size())).toImage();
}

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// How many pixels of `a` differ clearly from those of `b` (same size) or, without `b`, from
// the colour `plain`.
int clearlyDifferent(const QImage& a, const QImage& b, QRgb plain = 0) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (channelDistance(a.pixel(x, y), b.isNull() ? plain : b.pixel(x, y)) > 60)
                ++count;
    return count;
}

// On the dark dialog background every indicator must show, checked or not, usable or not.
TEST_F(ProgramSheet, EveryIndicatorOfTheOpenImageQuestionShowsInEveryState) {
    qApp->setStyleSheet(expandStyleSheet(programSheet(), programVariables()));
    CutoutChoice dialog(nullptr, QPixmap());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QRgb background = qRgb(87, 77, 72);
    auto* alwaysDoThis = dialog.findChild<QCheckBox*>(QStringLiteral("alwaysDoThisCheckBox"));
    ASSERT_NE(alwaysDoThis, nullptr);
    QList<QRadioButton*> radios;
    for (const char* name : {"cutoutRadioButton", "imageRadioButton", "backdropRadioButton"})
        radios << dialog.findChild<QRadioButton*>(QLatin1String(name));
    ASSERT_FALSE(radios.contains(nullptr));

    auto expectShown = [&](QAbstractButton* button, const char* state) {
        const QImage pixels = indicatorPixels(button);
        EXPECT_GT(clearlyDifferent(pixels, QImage(), background), pixels.width() * pixels.height() / 5)
            << button->objectName().toStdString() << " " << state;
        return pixels;
    };
    auto expectApart = [](const QImage& a, const QImage& b, QAbstractButton* button, const char* what) {
        ASSERT_EQ(a.size(), b.size());
        EXPECT_GT(clearlyDifferent(a, b), a.width() * a.height() / 10)
            << button->objectName().toStdString() << " " << what;
    };

    for (QRadioButton* radio : radios) {
        QRadioButton* other = radios.at((radios.indexOf(radio) + 1) % radios.size());
        other->setChecked(true);
        const QImage unchecked = expectShown(radio, "unchecked");
        radio->setChecked(true);
        expectApart(expectShown(radio, "checked"), unchecked, radio, "checked and unchecked");
    }
    radios.front()->setChecked(true);
    alwaysDoThis->setChecked(false);
    const QImage unchecked = expectShown(alwaysDoThis, "unchecked");
    alwaysDoThis->setChecked(true);
    expectApart(expectShown(alwaysDoThis, "checked"), unchecked, alwaysDoThis, "checked and unchecked");

    // The backdrop choice disables the check box; it must still show, in both states.
    radios.back()->setChecked(true);
    ASSERT_FALSE(alwaysDoThis->isEnabled());
    const QImage disabledChecked = expectShown(alwaysDoThis, "disabled checked");
    alwaysDoThis->setChecked(false);
    const QImage disabledUnchecked = expectShown(alwaysDoThis, "disabled unchecked");
    expectApart(disabledChecked, disabledUnchecked, alwaysDoThis, "disabled checked and unchecked");
    expectApart(disabledUnchecked, unchecked, alwaysDoThis, "disabled and enabled");

    // Under the mouse the indicator lights up.
    QRadioButton* hovered = radios.at(1);
    const QImage resting = indicatorPixels(hovered);
    QTest::mouseMove(hovered, QPoint(8, hovered->height() / 2));
    ASSERT_TRUE(hovered->underMouse());
    expectApart(indicatorPixels(hovered), resting, hovered, "under the mouse and not");
}

}  // namespace
