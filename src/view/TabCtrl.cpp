#include "view/TabCtrl.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

#include <algorithm>

namespace {

// The tabs start a little in from the left edge and overlap the page's frame by a line.
constexpr int kBarIndent = 2;
constexpr int kOverlap = 1;

// Runs the program's own change without telling the handler.
class CQuiet {
public:
    explicit CQuiet(bool& bFlag) : m_bFlag(bFlag), m_bOld(bFlag) { m_bFlag = true; }
    ~CQuiet() { m_bFlag = m_bOld; }
    CQuiet(const CQuiet&) = delete;
    CQuiet& operator=(const CQuiet&) = delete;

private:
    bool& m_bFlag;
    bool m_bOld;
};

} // namespace

CTabCtrl::CTabCtrl(QWidget* pParent)
    : QWidget(pParent)
    , m_pBar(new QTabBar(this))
    , m_pNote(new QLabel(this))
{
    m_pNote->setTextFormat(Qt::PlainText);
    m_pNote->hide();
    m_pBar->setShape(QTabBar::RoundedSouth);
    m_pBar->setDrawBase(false);
    m_pBar->setExpanding(false);
    connect(m_pBar, &QTabBar::currentChanged, this, [this] {
        if (!m_bQuiet && m_onSelChange)
            m_onSelChange();
    });
}

void CTabCtrl::DeleteAllItems()
{
    CQuiet quiet(m_bQuiet);
    while (m_pBar->count() > 0)
        m_pBar->removeTab(m_pBar->count() - 1);
    LayOutBar();
}

void CTabCtrl::InsertItem(int nItem, const QString& text)
{
    CQuiet quiet(m_bQuiet);
    m_pBar->insertTab(nItem, text);
    LayOutBar();
}

int CTabCtrl::GetItemCount() const
{
    return m_pBar->count();
}

int CTabCtrl::GetCurSel() const
{
    return m_pBar->currentIndex();
}

void CTabCtrl::SetCurSel(int nItem)
{
    CQuiet quiet(m_bQuiet);
    m_pBar->setCurrentIndex(nItem);
}

void CTabCtrl::SetNote(const QString& strText, const QString& strToolTip)
{
    m_pNote->setText(strText);
    m_pNote->setAccessibleName(strText);
    m_pNote->setToolTip(strToolTip);
    m_pNote->setVisible(!strText.isEmpty());
    LayOutBar();
}

void CTabCtrl::LayOutBar()
{
    const QSize hint = m_pBar->sizeHint();
    const int nWidth = std::min(hint.width(), width() - 2 * kBarIndent);
    m_pBar->setGeometry(kBarIndent, height() - hint.height(), std::max(0, nWidth), hint.height());
    // The note takes the rest of the band, after a gap; a note longer than that wraps.
    const int nLeft = m_pBar->geometry().right() + 1 + 3 * kBarIndent;
    m_pNote->setWordWrap(true);
    m_pNote->setGeometry(nLeft, height() - hint.height() + kOverlap, std::max(0, width() - nLeft - kBarIndent),
                         hint.height() - kOverlap);
}

QRect CTabCtrl::PageRect() const
{
    return QRect(0, 0, width(), height() - m_pBar->height() + kOverlap);
}

void CTabCtrl::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    LayOutBar();
}

void CTabCtrl::changeEvent(QEvent* pEvent)
{
    QWidget::changeEvent(pEvent);
    if (pEvent->type() == QEvent::FontChange)
        LayOutBar();
}

void CTabCtrl::paintEvent(QPaintEvent* pEvent)
{
    (void)pEvent;
    QPainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.rect = PageRect();
    option.shape = QTabBar::RoundedSouth;
    option.tabBarSize = m_pBar->size();
    option.tabBarRect = m_pBar->geometry();
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter, this);
}
