#include "shell/GmAction.h"
#include "shell/GmTogglingAction.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

QString native(const char* sequence) {
    return QKeySequence(QString::fromLatin1(sequence)).toString(QKeySequence::NativeText);
}

QIcon flatIcon(const QColor& colour) {
    QPixmap pixmap(8, 8);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

QColor iconColour(const QAction& action) {
    return QColor(action.icon().pixmap(8, 8).toImage().pixel(4, 4));
}

struct ToolTipCase {
    const char* name;
    const char* text;
    const char* toolTip;   // null: none set
    const char* shortcut;
    QString expected;
};

class ActionToolTips : public ::testing::TestWithParam<ToolTipCase> {};

TEST_P(ActionToolTips, ToolTipNamesTheShortcutOnlyWhenThereIsOne) {
    const ToolTipCase& c = GetParam();
    QObject owner;
    auto* action = new QAction(QString::fromUtf8(c.text), &owner);
    if (c.toolTip)
        action->setToolTip(QString::fromUtf8(c.toolTip));
    setActionShortcut(action, QKeySequence(QString::fromLatin1(c.shortcut)));
    EXPECT_EQ(action->toolTip(), c.expected);
    EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(c.shortcut)));

    GmAction built(QIcon(), QString::fromUtf8(c.text), &owner,
                   QKeySequence(QString::fromLatin1(c.shortcut)));
    if (!c.toolTip) {
        EXPECT_EQ(built.toolTip(), c.expected) << "the constructor goes the same way";
    }
}

INSTANTIATE_TEST_SUITE_P(
    GmAction, ActionToolTips,
    ::testing::Values(
        ToolTipCase{"TextWithoutAmpersand", "&Save", nullptr, "Ctrl+S", "Save (" + native("Ctrl+S") + ")"},
        ToolTipCase{"OwnToolTip", "Finish", "Return to the canvas, adding this finished cut-out",
                    "Return", "Return to the canvas, adding this finished cut-out (" + native("Return") + ")"},
        ToolTipCase{"NoShortcutNoSuffix", "Zolquist\u2122 Facebook Group", nullptr, "",
                    QString::fromUtf8("Zolquist\u2122 Facebook Group")},
        ToolTipCase{"ZoomBeforeItsShortcuts", "Zoom &In", nullptr, "", "Zoom In"},
        ToolTipCase{"SingleKey", "Translucency", "Use a translucent background", "B",
                    "Use a translucent background (B)"}),
    [](const ::testing::TestParamInfo<ToolTipCase>& info) { return info.param.name; });

TEST(GmAction, NullActionIsIgnored) {
    setActionShortcut(nullptr, QKeySequence(QStringLiteral("Ctrl+S")));   // no crash
    SUCCEED();
}

TEST(GmTogglingAction, EachStateShowsItsOwnIconAndToolTip) {
    QObject owner;
    GmTogglingAction action(flatIcon(Qt::red), flatIcon(Qt::blue), QStringLiteral("Edge Smoothing"),
                            &owner, QKeySequence(QStringLiteral("S")),
                            QStringLiteral("smoothed (S)"), QStringLiteral("sharper (S)"));
    action.setCheckable(true);
    EXPECT_FALSE(action.isChecked());
    EXPECT_EQ(action.toolTip(), QStringLiteral("sharper (S)")) << "the tool tips name the key themselves";
    EXPECT_EQ(iconColour(action), QColor(Qt::blue));
    EXPECT_EQ(action.shortcut(), QKeySequence(QStringLiteral("S")));

    for (int i = 0; i < 3; ++i) {
        action.toggle();
        SCOPED_TRACE(i);
        EXPECT_EQ(action.toolTip(), action.isChecked() ? QStringLiteral("smoothed (S)")
                                                       : QStringLiteral("sharper (S)"));
        EXPECT_EQ(iconColour(action), action.isChecked() ? QColor(Qt::red) : QColor(Qt::blue));
    }
}

}  // namespace
