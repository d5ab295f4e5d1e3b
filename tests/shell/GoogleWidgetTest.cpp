#include "shell/GoogleWidget.h"

#include "common/Product.h"
#include "shell/TranslationLoader.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUrlQuery>
#include <QVBoxLayout>

#include <gtest/gtest.h>

// The application library is static: its resources are registered by hand, outside any namespace.
static void registerProgramResources() { Q_INIT_RESOURCE(resources); }

namespace {

// Stands in for the browser: takes the addresses the program opens.
class Browser : public QObject {
    Q_OBJECT
public:
    Browser() {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
    }
    ~Browser() override {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

// A window that binds Return to finishing a cut-out, as the main window does.
class Window : public QWidget {
public:
    Window() {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(search);
        layout->addWidget(plain);
        finish->setShortcut(Qt::Key_Return);
        addAction(finish);
        QObject::connect(finish, &QAction::triggered, [this] { ++finished; });
        show();
        activateWindow();
        QApplication::setActiveWindow(this);
    }
    GoogleWidget* search = new GoogleWidget;
    QLineEdit* plain = new QLineEdit(this);
    QAction* finish = new QAction(QStringLiteral("Finish"), this);
    int finished = 0;
};

QString item(const QUrl& url, const char* key) {
    return QUrlQuery(url).queryItemValue(QString::fromLatin1(key), QUrl::FullyDecoded);
}

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

class SearchBoxKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(SearchBoxKeys, ReturnInTheBoxSearchesAndNeverFinishes) {
    Browser browser;
    Window window;
    QLineEdit* box = window.search->lineEdit();
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("red car"));
    QTest::keyClick(box, GetParam().key, GetParam().modifiers);

    EXPECT_EQ(window.finished, 0);
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(item(browser.opened.front(), "q"), QStringLiteral("red+car"));
    EXPECT_EQ(item(browser.opened.front(), "hl"), systemLanguageCode());

    // Elsewhere the same key still finishes: the box claims it only for itself.
    window.plain->setFocus();
    QTest::keyClick(window.plain, Qt::Key_Return);
    EXPECT_EQ(window.finished, 1);
    EXPECT_EQ(browser.opened.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(GoogleWidget, SearchBoxKeys,
                         ::testing::Values(KeyCase{"Return", Qt::Key_Return, Qt::NoModifier},
                                           KeyCase{"Enter", Qt::Key_Enter, Qt::KeypadModifier}),
                         [](const ::testing::TestParamInfo<KeyCase>& info) {
                             return info.param.name;
                         });

TEST(GoogleWidget, QueryTextCannotAddItemsOfItsOwn) {
    struct Case {
        QString typed;
        QString q;
    };
    for (const Case& c : {Case{QStringLiteral("a&hl=xx#top"), QStringLiteral("a&hl=xx#top")},
                          Case{QStringLiteral("  two  blanks "), QStringLiteral("++two++blanks+")},
                          Case{QString(), QString()}}) {
        SCOPED_TRACE(c.typed.toStdString());
        const QUrl url = GoogleWidget::searchUrl(c.typed);
        ASSERT_TRUE(url.isValid());
        EXPECT_EQ(url.scheme(), QStringLiteral("https"));
        EXPECT_TRUE(url.fragment().isEmpty());
        const QUrlQuery query(url);
        ASSERT_EQ(query.queryItems().size(), 2);
        EXPECT_EQ(query.queryItems().at(0).first, QStringLiteral("q"));
        EXPECT_EQ(query.queryItems().at(1).first, QStringLiteral("hl"));
        EXPECT_EQ(item(url, "q"), c.q);
        EXPECT_EQ(item(url, "hl"), systemLanguageCode());
    }
}

TEST(GoogleWidget, TheButtonSearchesEvenForNothing) {
    registerProgramResources();
    Browser browser;
    GoogleWidget widget;
    EXPECT_EQ(widget.objectName(), QStringLiteral("GoogleWidget"));
    EXPECT_EQ(widget.toolTip(),
              QStringLiteral("Search Google Images - then Drag and Drop into ") + productDisplayName());
    auto* button = widget.findChild<QPushButton*>(QStringLiteral("GoogleSearchButton"));
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->icon().isNull());
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_TRUE(QUrlQuery(browser.opened.front()).hasQueryItem(QStringLiteral("q")));
    EXPECT_EQ(item(browser.opened.front(), "q"), QString());
}

TEST(GoogleWidget, FocusSlotPutsTheKeyboardInTheBox) {
    Window window;
    window.plain->setFocus();
    ASSERT_FALSE(window.search->lineEdit()->hasFocus());
    QAction focusSearch(&window);
    focusSearch.setShortcut(QKeySequence(QStringLiteral("Ctrl+K")));
    window.addAction(&focusSearch);
    QObject::connect(&focusSearch, &QAction::triggered, window.search, &GoogleWidget::setFocusSlot);
    QTest::keyClick(window.plain, Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(window.search->lineEdit()->hasFocus());
}

}  // namespace

#include "GoogleWidgetTest.moc"
