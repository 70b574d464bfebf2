#pragma once

#include <QObject>
#include <gtest/gtest.h>
#include <stdexcept>

// A window's control by its object name: the windows keep their controls
// private, and a test reaches them as a user's tools do, by name. A missing
// one fails the test at once instead of crashing it.
template <class T> T* Child(const QObject* window, const char* name)
{
    T* child = window->findChild<T*>(QLatin1String(name));
    if (!child)
        throw std::runtime_error(std::string("no control named ") + name);
    return child;
}
