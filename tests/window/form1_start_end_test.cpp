// Tests of Form1's start and end: loaded once before it shows, and ended by "Exit" or its close button.
#include "application.h"
#include "form1.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "controls_test_support.h"

namespace {

QString statusText(const Form1& form)
{
    return childNamed<QLabel>(form, QStringLiteral("status")).text();
}

TEST(Form1Start, LoadsOnceBeforeItShowsWithTheFocusOnStart)
{
    Form1 form;
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(statusText(form), QStringLiteral("Select .pcb File"));
    EXPECT_EQ(childNamed<QLineEdit>(form, QStringLiteral("Text1")).text(), QString());

    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QWidget* focused = QApplication::focusWidget();
    ASSERT_EQ(focused, &childNamed<QPushButton>(form, QStringLiteral("Command1")));
    QTest::keyClick(focused, Qt::Key_Space);
    EXPECT_EQ(statusText(form), QStringLiteral("SELECT FILES FIRST"));

    // Showing the window again loads nothing again.
    form.hide();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(statusText(form), QStringLiteral("SELECT FILES FIRST"));
}

TEST(Form1Start, ApplicationCarriesItsVersionAndIcon)
{
    setUpApplication();
    EXPECT_EQ(QCoreApplication::applicationVersion(), QStringLiteral("1.00"));
    Form1 form;
    const QList<QSize> sizes = form.windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
}

struct Ending {
    const char* name;
    std::function<void(Form1&)> end;
};

void PrintTo(const Ending& ending, std::ostream* out)
{
    *out << ending.name;
}

class Form1End : public testing::TestWithParam<Ending> {};

TEST_P(Form1End, EndsTheEventLoopWithoutAQuestion)
{
    Form1 form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);

    QTimer::singleShot(0, &form, [&form] { GetParam().end(form); });
    // Only a loop that never ends trips this; it turns a hang into a failure.
    QTimer hang;
    hang.setSingleShot(true);
    QObject::connect(&hang, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    hang.start(30'000);
    EXPECT_EQ(QApplication::exec(), 0);

    EXPECT_EQ(quitting.count(), 1);
    EXPECT_FALSE(form.isVisible());
    for (const QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->metaObject()->className();
}

INSTANTIATE_TEST_SUITE_P(Ways, Form1End,
                         testing::Values(Ending{"Exit",
                                                [](Form1& form) {
                                                    QTest::mouseClick(
                                                        &childNamed<QPushButton>(form, QStringLiteral("Command2")),
                                                        Qt::LeftButton);
                                                }},
                                         Ending{"CloseButton", [](Form1& form) { form.windowHandle()->close(); }}),
                         [](const testing::TestParamInfo<Ending>& info) { return std::string(info.param.name); });

}  // namespace
