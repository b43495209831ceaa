#include "platform/gui/WindowFit.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

void KeepWindowOnScreen(QWidget* pWindow)
{
    const QScreen* pScreen = pWindow->screen();
    if (!pScreen)
        return;
    const QRect avail = pScreen->availableGeometry();
    const QSize decoration = pWindow->frameGeometry().size() - pWindow->size();
    const QSize size = pWindow->size().boundedTo(avail.size() - decoration).expandedTo(pWindow->minimumSize());
    if (size != pWindow->size())
        pWindow->resize(size);
    const QRect frame = pWindow->frameGeometry();
    const int x = std::clamp(frame.x(), avail.left(), std::max(avail.left(), avail.right() + 1 - frame.width()));
    const int y = std::clamp(frame.y(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - frame.height()));
    if (QPoint(x, y) != frame.topLeft())
        pWindow->move(x, y);
}
