#pragma once

#include <QObject>
#include <QString>
#include <gtest/gtest.h>

// The child of `parent` named `name`, failing the test when there is none.
template <typename T>
T* FindChild(const QObject& parent, const char* name)
{
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}
