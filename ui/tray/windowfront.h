#pragma once

#include <QString>

class QWidget;

// The program's top-level window whose caption is exactly `caption`
// (a visible one first), or null.
QWidget* FindWindowByCaption(const QString& caption);

// Finds the program's top-level window by its exact caption, restores it
// when minimised and makes it the active window. Nothing happens when there
// is none; a window manager that refuses leaves things as they are.
void BringWindowToFront(const QString& caption);
