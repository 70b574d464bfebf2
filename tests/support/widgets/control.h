#pragma once

#include <QObject>
#include <stdexcept>
#include <string>

// The child of `owner` with the object name `name`: how tests reach the
// controls a window keeps to itself. A name that is not there, or a child of
// another kind, ends the test with the name.
template <class T> T* Control(const QObject* owner, const char* name)
{
    T* found = owner ? owner->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    if (!found)
        throw std::runtime_error(std::string("no control named ") + name);
    return found;
}
