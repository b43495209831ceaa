#include "record/GroupedHeader.h"

#include <QPainter>
#include <QStyleOptionHeader>

CGroupedHeader::CGroupedHeader(std::vector<CGroup> groups, QWidget* pParent)
    : QHeaderView(Qt::Horizontal, pParent)
    , m_groups(std::move(groups))
{
    setSectionsClickable(false);
    setDefaultAlignment(Qt::AlignCenter);
}

const CGroupedHeader::CGroup* CGroupedHeader::GroupOf(int nSection) const
{
    for (const CGroup& g : m_groups)
        if (nSection >= g.nFirst && nSection < g.nFirst + g.nCount)
            return &g;
    return nullptr;
}

int CGroupedHeader::BandHeight() const
{
    return fontMetrics().height() + 6;
}

QSize CGroupedHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    size.setHeight(size.height() + BandHeight());
    return size;
}

QSize CGroupedHeader::sectionSizeFromContents(int nSection) const
{
    // A column is at least as wide as its share of its group's name.
    QSize size = QHeaderView::sectionSizeFromContents(nSection);
    if (const CGroup* pGroup = GroupOf(nSection)) {
        const int nNameWidth = fontMetrics().horizontalAdvance(pGroup->strName) + 12;
        size.setWidth(std::max(size.width(), (nNameWidth + pGroup->nCount - 1) / pGroup->nCount));
    }
    return size;
}

void CGroupedHeader::paintSection(QPainter* pPainter, const QRect& rect, int nSection) const
{
    const CGroup* pGroup = GroupOf(nSection);
    if (!pGroup) {
        QHeaderView::paintSection(pPainter, rect, nSection);
        return;
    }
    const int nBand = BandHeight();
    // The group's name is drawn across all its columns: each column draws its part of it.
    const int nLeft = sectionViewportPosition(pGroup->nFirst);
    const int nLast = pGroup->nFirst + pGroup->nCount - 1;
    const int nRight = sectionViewportPosition(nLast) + sectionSize(nLast);
    QStyleOptionHeader band;
    initStyleOption(&band);
    band.rect = QRect(nLeft, rect.top(), nRight - nLeft, nBand);
    band.section = nSection;
    band.text = pGroup->strName;
    band.textAlignment = Qt::AlignCenter;
    band.position = QStyleOptionHeader::OnlyOneSection;
    pPainter->save();
    pPainter->setClipRect(QRect(rect.left(), rect.top(), rect.width(), nBand));
    style()->drawControl(QStyle::CE_Header, &band, pPainter, this);
    pPainter->restore();
    QHeaderView::paintSection(pPainter, rect.adjusted(0, nBand, 0, 0), nSection);
}
