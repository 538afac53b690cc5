// What the controls' tests share: readable QString output, a list's texts, and a call's error text.
#pragma once

#include <QListWidget>
#include <QString>
#include <QStringList>

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

inline QStringList texts(const QListWidget& list)
{
    QStringList shown;
    for (int row = 0; row < list.count(); ++row)
        shown << list.item(row)->text();
    return shown;
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
