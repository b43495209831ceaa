#include "view/MSFlexGrid.h"

#include "platform/gui/Fonts.h"
#include "platform/gui/QtText.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// What a cell holds besides its shown text: the bytes as the view wrote them, so that they
// read back exactly, and the formats the view gave it.
enum CellRole {
    BytesRole = Qt::UserRole,
    AlignRole,
    BackColorRole,
};

constexpr int kTextMargin = 2;

QColor ToQColor(COLORREF color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

Qt::Alignment ToQtAlignment(short nAlign, const QString& text)
{
    switch (nAlign) {
    case flexAlignLeftCenter:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case flexAlignCenterCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case flexAlignRightCenter:
        return Qt::AlignRight | Qt::AlignVCenter;
    default: {
        bool bNumber = false;
        text.trimmed().toDouble(&bNumber);
        return (bNumber ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    }
    }
}

// Paints a cell as the grid always looked: its own background, its text clipped rather than
// shortened with an ellipsis, no focus or selection marks.
class CCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* pPainter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString text = index.data(Qt::DisplayRole).toString();
        const auto color = static_cast<COLORREF>(index.data(BackColorRole).toUInt());
        const auto nAlign = static_cast<short>(index.data(AlignRole).toInt());
        pPainter->save();
        pPainter->fillRect(option.rect, ToQColor(color));
        pPainter->setClipRect(option.rect);
        pPainter->setPen(option.palette.color(QPalette::Text));
        const QRect textRect = option.rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
        pPainter->drawText(textRect, static_cast<int>(ToQtAlignment(nAlign, text)) | Qt::TextSingleLine, text);
        pPainter->restore();
    }
};

void ResetCell(QTableWidgetItem* pItem)
{
    pItem->setData(Qt::DisplayRole, QString());
    pItem->setData(BytesRole, QByteArray());
    pItem->setData(AlignRole, static_cast<int>(flexAlignGeneral));
    pItem->setData(BackColorRole, CMSFlexGrid::kDefaultBackColor);
}

} // namespace

CMSFlexGrid::CMSFlexGrid(QWidget* pParent)
    : QTableWidget(kRows, kCols, pParent)
    , m_colTwips(kCols, 0)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setTextElideMode(Qt::ElideNone);
    // The layouts' widths fill the grid; a scroll bar would only hide the last row.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setItemDelegate(new CCellDelegate(this));

    setFont(KeluFont(kFaceGothic, 11.4));
    m_nRowHeight = fontMetrics().height() + 3;
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setMinimumSectionSize(1);
    for (int nRow = 0; nRow < kRows; ++nRow) {
        setRowHeight(nRow, m_nRowHeight);
        for (int nCol = 0; nCol < kCols; ++nCol) {
            auto* pItem = new QTableWidgetItem;
            pItem->setFlags(Qt::ItemIsEnabled);
            ResetCell(pItem);
            setItem(nRow, nCol, pItem);
        }
    }
}

void CMSFlexGrid::Redraw(bool bOn)
{
    setUpdatesEnabled(bOn);
    if (bOn)
        viewport()->update();
}

void CMSFlexGrid::Clear()
{
    for (int nRow = 0; nRow < rowCount(); ++nRow)
        for (int nCol = 0; nCol < columnCount(); ++nCol)
            ResetCell(item(nRow, nCol));
}

void CMSFlexGrid::Row(int nRow)
{
    m_nRow = std::clamp(nRow, 0, kRows - 1);
}

void CMSFlexGrid::Col(int nCol)
{
    m_nCol = std::clamp(nCol, 0, kCols - 1);
}

QTableWidgetItem* CMSFlexGrid::CurrentItem() const
{
    return item(m_nRow, m_nCol);
}

void CMSFlexGrid::Text(const CString& strText)
{
    QTableWidgetItem* pItem = CurrentItem();
    pItem->setData(Qt::DisplayRole, ToQString(strText));
    pItem->setData(BytesRole, QByteArray(strText.GetString(), strText.GetLength()));
}

int CMSFlexGrid::TwipsToPixels(int nTwips) const
{
    return (nTwips * logicalDpiX() + 720) / 1440;
}

void CMSFlexGrid::ColWidth(int nCol, int nTwips)
{
    if (nCol < 0 || nCol >= kCols)
        return;
    m_colTwips[nCol] = std::max(0, nTwips);
    setColumnHidden(nCol, nTwips <= 0);
    if (nTwips > 0)
        setColumnWidth(nCol, TwipsToPixels(nTwips));
}

void CMSFlexGrid::CellAlignment(short nAlign)
{
    CurrentItem()->setData(AlignRole, static_cast<int>(nAlign));
}

void CMSFlexGrid::CellBackColor(COLORREF color)
{
    CurrentItem()->setData(BackColorRole, color);
}

CString CMSFlexGrid::GetTextMatrix(int nRow, int nCol) const
{
    const QTableWidgetItem* pItem = item(nRow, nCol);
    if (!pItem)
        return CString();
    const QByteArray bytes = pItem->data(BytesRole).toByteArray();
    return CString(bytes.constData(), static_cast<int>(bytes.size()));
}

COLORREF CMSFlexGrid::GetCellBackColor(int nRow, int nCol) const
{
    const QTableWidgetItem* pItem = item(nRow, nCol);
    return pItem ? static_cast<COLORREF>(pItem->data(BackColorRole).toUInt()) : kDefaultBackColor;
}

short CMSFlexGrid::GetCellAlignment(int nRow, int nCol) const
{
    const QTableWidgetItem* pItem = item(nRow, nCol);
    return pItem ? static_cast<short>(pItem->data(AlignRole).toInt()) : static_cast<short>(flexAlignGeneral);
}

int CMSFlexGrid::GetColWidth(int nCol) const
{
    return nCol >= 0 && nCol < kCols ? m_colTwips[nCol] : 0;
}
