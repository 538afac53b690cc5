// What the window's tests share: readable output of Qt's values, a list's texts, a click on an entry, a call's
// error text, a control by its name, and paths as the lists report them.
#pragma once

#include <QColor>
#include <QDir>
#include <QList>
#include <QListWidget>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <stdexcept>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '{';
    for (const QString& text : texts) {
        PrintTo(text, out);
        *out << (&text == &texts.last() ? "" : ", ");
    }
    *out << '}';
}

inline void PrintTo(const QColor& colour, std::ostream* out)
{
    *out << colour.name(QColor::HexArgb).toStdString();
}

inline void PrintTo(const QPoint& point, std::ostream* out)
{
    *out << '(' << point.x() << ", " << point.y() << ')';
}

inline void PrintTo(const QRect& rect, std::ostream* out)
{
    *out << rect.width() << " x " << rect.height() << " at (" << rect.x() << ", " << rect.y() << ')';
}

inline QStringList texts(const QListWidget& list)
{
    QStringList shown;
    for (int row = 0; row < list.count(); ++row)
        shown << list.item(row)->text();
    return shown;
}

// Clicks the entry `text` of `list` with the mouse, as the operator does. Fails (fatally, for the caller
// to stop with ASSERT_NO_FATAL_FAILURE) where the list doesn't show that entry exactly once.
inline void click(QListWidget& list, const QString& text, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = {})
{
    const QList<QListWidgetItem*> found = list.findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << list.objectName().toStdString() << " shows " << text.toStdString() << " not once but "
                               << found.size() << " times";
    QTest::mouseClick(list.viewport(), button, modifiers, list.visualItemRect(found.first()).center());
}

// What `act` threw as std::runtime_error, or "no error".
inline QString errorOf(const std::function<void()>& act)
{
    try {
        act();
    } catch (const std::runtime_error& error) {
        return QString::fromUtf8(error.what());
    }
    return "no error";
}

// The child control `name` of `parent`. A missing one throws, which fails the test that asked for it
// instead of crashing the whole test program.
template <typename Control = QWidget>
Control& childNamed(const QObject& parent, const QString& name)
{
    auto* control = parent.findChild<Control*>(name, Qt::FindDirectChildrenOnly);
    if (control == nullptr)
        throw std::runtime_error("the window has no control \"" + name.toStdString() + "\" of the kind asked for");
    return *control;
}

// A path as the lists report it, with the platform's own separators.
inline QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The root of the drive that holds the temporary folder, as the lists report it: "/", or "C:\".
inline QString rootDrive()
{
    return QDir::toNativeSeparators(QDir::rootPath());
}

// A drive's text for a drive that can't be read.
inline QString missingDrive()
{
    return rootDrive() + "nonexistent-drive";
}
