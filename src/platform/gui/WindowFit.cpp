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

void PlaceOnScreen(QWidget* pWindow, const QWidget* pNear)
{
    const QScreen* pScreen = pNear ? pNear->screen() : pWindow->screen();
    if (!pScreen)
        return;
    // A title bar and borders of the usual size; the exact ones are known only once shown.
    constexpr QSize kFrameAllowance(16, 40);
    const QRect avail = pScreen->availableGeometry();
    const QSize size = pWindow->size().boundedTo(avail.size() - kFrameAllowance).expandedTo(pWindow->minimumSize());
    pWindow->resize(size);
    const QPoint centre = pNear ? pNear->frameGeometry().center() : avail.center();
    const int x = std::clamp(centre.x() - size.width() / 2, avail.left(),
                             std::max(avail.left(), avail.right() + 1 - size.width() - kFrameAllowance.width()));
    const int y = std::clamp(centre.y() - size.height() / 2, avail.top(),
                             std::max(avail.top(), avail.bottom() + 1 - size.height() - kFrameAllowance.height()));
    pWindow->move(x, y);
}
