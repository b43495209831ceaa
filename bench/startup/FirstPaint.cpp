#include "FirstPaint.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

class CPaintWatch : public QObject {
public:
    CPaintWatch(QWidget* pWindow, void (*pfnDone)()) : m_pWindow(pWindow), m_pfnDone(pfnDone) {}

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        // The window's own paint comes first and its children follow in the same pass; a
        // zero timer runs after the pass, when the frame is complete.
        if (!m_bSeen && pEvent->type() == QEvent::Paint && pWatched == m_pWindow) {
            m_bSeen = true;
            QTimer::singleShot(0, m_pfnDone);
        }
        return false;
    }

private:
    QWidget* m_pWindow;
    void (*m_pfnDone)();
    bool m_bSeen = false;
};

} // namespace

void WatchFirstPaint(QWidget* pWindow, void (*pfnDone)())
{
    qApp->installEventFilter(new CPaintWatch(pWindow, pfnDone));
}

void Done()
{
    // For finding where the memory goes: the mappings as they stand at the end.
    if (const char* pszPath = std::getenv("KELU_PROBE_SMAPS")) {
        std::ifstream in("/proc/self/smaps", std::ios::binary);
        std::ofstream out(pszPath, std::ios::binary);
        out << in.rdbuf();
    }
    if (const char* psz = std::getenv("KELU_PROBE_FD")) {
        const char c = '!';
        [[maybe_unused]] ssize_t n = write(std::atoi(psz), &c, 1);
    }
    _exit(0);
}
