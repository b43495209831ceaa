#pragma once
// Keeping a top-level window on its screen.

class QWidget;

// Shrinks the window, never below its minimum size, and moves it, so that the window with the
// window manager's frame lies within the free area of its screen (without the panels).
void KeepWindowOnScreen(QWidget* pWindow);

// Before a window first shows: makes it no larger than the free area of the screen of pNear
// (or its own), leaving room for the window manager's frame, and centres it over pNear, inside
// that area. The window manager would otherwise place it where it likes, its bottom edge
// sometimes below the screen.
void PlaceOnScreen(QWidget* pWindow, const QWidget* pNear);
