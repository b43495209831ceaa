#pragma once
// Keeping a top-level window on its screen.

class QWidget;

// Shrinks the window, never below its minimum size, and moves it, so that the window with the
// window manager's frame lies within the free area of its screen (without the panels).
void KeepWindowOnScreen(QWidget* pWindow);
