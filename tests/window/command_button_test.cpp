// Tests of the command button: which keys press it while it has the focus.
#include "command_button.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

TEST(CommandButton, FocusedIsPressedByEnterAndSpaceButNotByEscNorHeldEnter)
{
    struct Case {
        const char* name;
        Qt::Key key;
        bool autoRepeat;
        int presses;
    };
    const std::vector<Case> cases{
        {"Enter", Qt::Key_Return, false, 1},
        {"Enter on the keypad", Qt::Key_Enter, false, 1},
        {"the space bar", Qt::Key_Space, false, 1},
        {"Esc", Qt::Key_Escape, false, 0},
        {"a held Enter's repeat", Qt::Key_Return, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommandButton button("Start");
        button.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
        button.setFocus();
        QSignalSpy pressed(&button, &QPushButton::clicked);

        QTest::keyPress(&button, c.key, c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        if (c.autoRepeat) {
            pressed.clear();
            QKeyEvent repeat(QEvent::KeyPress, c.key, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(&button, &repeat);
        }
        QTest::keyRelease(&button, c.key, c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);

        EXPECT_EQ(pressed.count(), c.presses);
        EXPECT_FALSE(button.isDefault()) << "no default button, focused or not";
    }
}
