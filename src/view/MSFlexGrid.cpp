#include "view/MSFlexGrid.h"

#include "platform/gui/Fonts.h"
#include "platform/gui/QtText.h"
#include "view/FormScale.h"

#include <QHash>
#include <QHeaderView>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>
#include <QStyledItemDelegate>

#include <algorithm>
#include <array>

namespace {

// What a cell holds besides its shown text: the bytes as the view wrote them, so that they
// read back exactly, and the formats the view gave it.
enum CellRole {
    BytesRole = Qt::UserRole,
    AlignRole,
    BackColorRole,
    ToolTipBytesRole,
};

constexpr int kTextMargin = 2;
// Room above and below a row's text, at the standard size.
constexpr int kRowPadding = 3;

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

// The part of a text that shows: blanks on the side it is aligned to move nothing and are left
// out, so that a rate padded to its field's width is not condensed for the sake of a blank.
QString ShownText(const QString& text, Qt::Alignment align)
{
    qsizetype nFirst = 0, nEnd = text.size();
    if (align & Qt::AlignRight)
        while (nFirst < nEnd && text[nFirst].isSpace())
            ++nFirst;
    if (align & Qt::AlignLeft)
        while (nEnd > nFirst && text[nEnd - 1].isSpace())
            --nEnd;
    return text.mid(nFirst, nEnd - nFirst);
}

// Paints a cell as the grid always looked: its own background, no focus or selection marks,
// and its whole text. A text wider than its cell is drawn in a condensed stretch of the cell's
// face rather than clipped: a rate cut on the left would read as another number.
class CCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* pPainter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString text = index.data(Qt::DisplayRole).toString();
        const auto color = static_cast<COLORREF>(index.data(BackColorRole).toUInt());
        const auto nAlign = static_cast<short>(index.data(AlignRole).toInt());
        const Qt::Alignment align = ToQtAlignment(nAlign, text);
        const QString shown = ShownText(text, align);
        pPainter->save();
        pPainter->fillRect(option.rect, ToQColor(color));
        pPainter->setClipRect(option.rect);
        pPainter->setPen(option.palette.color(QPalette::Text));
        const QRect textRect = CMSFlexGrid::TextRect(option.rect);
        pPainter->setFont(CMSFlexGrid::FitFont(option.font, shown, textRect.width()));
        pPainter->drawText(textRect, static_cast<int>(align) | Qt::TextSingleLine, shown);
        pPainter->restore();
    }
};

void ResetCell(QTableWidgetItem* pItem)
{
    pItem->setData(Qt::DisplayRole, QString());
    pItem->setData(BytesRole, QByteArray());
    pItem->setData(AlignRole, static_cast<int>(flexAlignGeneral));
    pItem->setData(BackColorRole, CMSFlexGrid::kDefaultBackColor);
    pItem->setData(ToolTipBytesRole, QByteArray());
    pItem->setData(Qt::ToolTipRole, QVariant());
}

} // namespace

CMSFlexGrid::CMSFlexGrid(QWidget* pParent)
    : QTableWidget(pParent)
    , m_colTwips(kCols, 0)
{
    // The headers go before the rows and columns come: a visible header measures its sections
    // in a bold face of its own, a font the grid never shows but would load at start.
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setRowCount(kRows);
    setColumnCount(kCols);
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

    m_fontStandard = KeluFont(kFaceGothic, 11.4);
    setFont(m_fontStandard);
    m_nRowHeight = fontMetrics().height() + kRowPadding;
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

QRect CMSFlexGrid::TextRect(const QRect& cell)
{
    return cell.adjusted(kTextMargin, 0, -kTextMargin, 0);
}

namespace {

// A text measured in a font for a cell's room, and the stretch it needs there (0: none).
struct CFitKey {
    QFont font;
    QString text;
    int nRoom;
    bool operator==(const CFitKey&) const = default;
};

size_t qHash(const CFitKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.font, key.text, key.nRoom);
}

int FitStretch(const QFont& font, const QString& text, int nRoom)
{
    const double dWidth = QFontMetricsF(font).horizontalAdvance(text);
    if (dWidth <= nRoom)
        return 0;
    // The advances scale with the stretch, but rounded per glyph: step down until it fits.
    QFont condensed = font;
    int nStretch = std::clamp(static_cast<int>(100.0 * std::max(nRoom, 1) / dWidth), 1, 99);
    for (; nStretch > 1; --nStretch) {
        condensed.setStretch(nStretch);
        if (QFontMetricsF(condensed).horizontalAdvance(text) <= nRoom)
            break;
    }
    return nStretch;
}

} // namespace

QFont CMSFlexGrid::FitFont(const QFont& font, const QString& text, int nRoom)
{
    if (text.isEmpty())
        return font;
    // Every paint asks again for every cell, and measuring a text lays it out, which costs as
    // much as drawing it: the answers are kept. A day's grids show a few thousand texts; the
    // bound only keeps a long session from growing without end.
    static QHash<CFitKey, int> cache;
    constexpr qsizetype kMaxKept = 8192;
    CFitKey key{font, text, nRoom};
    auto it = cache.constFind(key);
    if (it == cache.constEnd()) {
        if (cache.size() >= kMaxKept)
            cache.clear();
        it = cache.insert(std::move(key), FitStretch(font, text, nRoom));
    }
    if (*it == 0)
        return font;
    QFont condensed = font;
    condensed.setStretch(*it);
    return condensed;
}

QRect CMSFlexGrid::CellRect(int nRow, int nCol) const
{
    // As the table paints a cell: its section less the grid line on its right and bottom.
    const int nGrid = showGrid() ? 1 : 0;
    return QRect(columnViewportPosition(nCol), rowViewportPosition(nRow), columnWidth(nCol) - nGrid,
                 rowHeight(nRow) - nGrid);
}

QString CMSFlexGrid::CellShownText(int nRow, int nCol) const
{
    const QTableWidgetItem* pItem = item(nRow, nCol);
    if (!pItem)
        return QString();
    const QString text = pItem->data(Qt::DisplayRole).toString();
    return ShownText(text, ToQtAlignment(static_cast<short>(pItem->data(AlignRole).toInt()), text));
}

QFont CMSFlexGrid::CellFont(int nRow, int nCol) const
{
    return FitFont(font(), CellShownText(nRow, nCol), TextRect(CellRect(nRow, nCol)).width());
}

void CMSFlexGrid::FitRows()
{
    // The form gives each grid room for seven rows of its font; where the room falls a few
    // pixels short (120 dpi), the rows give up part of their padding, never part of the text.
    const int nRoom = viewport()->height() / kRows;
    const int nHeight = std::max(fontMetrics().height(), std::min(m_nRowHeight, nRoom));
    for (int nRow = 0; nRow < kRows; ++nRow)
        setRowHeight(nRow, nHeight);
}

void CMSFlexGrid::SetScale(double dFactor)
{
    if (dFactor == m_dScale)
        return;
    m_dScale = dFactor;
    const CFormScale scale(dFactor, QPoint());
    setFont(scale.Font(m_fontStandard));
    m_nRowHeight = fontMetrics().height() + scale.Length(kRowPadding);
    FitColumns();
    FitRows();
}

void CMSFlexGrid::FitColumns()
{
    std::array<int, kCols> widths{};
    int nTotal = 0;
    int nWidest = 0;
    for (int nCol = 0; nCol < kCols; ++nCol) {
        widths[nCol] = m_colTwips[nCol] > 0 ? TwipsToPixels(m_colTwips[nCol]) : 0;
        nTotal += widths[nCol];
        if (widths[nCol] > widths[nWidest])
            nWidest = nCol;
    }
    // The layouts' widths fill the grid at the standard size, up to the last column's grid line
    // at the viewport's edge. Larger, each column rounded to whole pixels may add a pixel or two
    // beyond it: the widest column gives them up, so that no cell leaves the grid.
    const int nExcess = nTotal - (viewport()->width() + 1);
    if (m_dScale != 1.0 && nExcess > 0)
        widths[nWidest] = std::max(1, widths[nWidest] - nExcess);
    for (int nCol = 0; nCol < kCols; ++nCol)
        if (widths[nCol] > 0)
            setColumnWidth(nCol, widths[nCol]);
}

void CMSFlexGrid::resizeEvent(QResizeEvent* pEvent)
{
    QTableWidget::resizeEvent(pEvent);
    if (m_dScale != 1.0)
        FitColumns();
    FitRows();
}

void CMSFlexGrid::wheelEvent(QWheelEvent* pEvent)
{
    // Nothing to scroll: the wheel belongs to whatever holds the grid.
    pEvent->ignore();
}

void CMSFlexGrid::DrawGridLines()
{
    if (!showGrid())
        return;
    // Over the table's own lines, where it draws them: the last pixel of each section.
    QPainter painter(viewport());
    painter.setPen(QPen(QColor::fromRgba(kGridLineColor), 0));
    const int nBottom = rowViewportPosition(kRows - 1) + rowHeight(kRows - 1) - 1;
    const int nRight = columnViewportPosition(kCols - 1) + columnWidth(kCols - 1) - 1;
    for (int nCol = 0; nCol < kCols; ++nCol)
        if (columnWidth(nCol) > 0) {
            const int x = columnViewportPosition(nCol) + columnWidth(nCol) - 1;
            painter.drawLine(x, 0, x, nBottom);
        }
    for (int nRow = 0; nRow < kRows; ++nRow) {
        const int y = rowViewportPosition(nRow) + rowHeight(nRow) - 1;
        painter.drawLine(0, y, nRight, y);
    }
}

void CMSFlexGrid::MarkRow(int nRow)
{
    const int nMarked = nRow >= 0 && nRow < kRows ? nRow : -1;
    if (nMarked == m_nMarkedRow)
        return;
    m_nMarkedRow = nMarked;
    viewport()->update();
}

void CMSFlexGrid::paintEvent(QPaintEvent* pEvent)
{
    QTableWidget::paintEvent(pEvent);
    DrawGridLines();
    if (m_nMarkedRow < 0)
        return;
    // A frame two pixels wide inside the row's cells, in the text's colour: it stands out on
    // every boat colour and leaves the cells' texts alone.
    const QRect row = visualRect(model()->index(m_nMarkedRow, 0))
                          .united(visualRect(model()->index(m_nMarkedRow, kCols - 1)))
                          .adjusted(1, 1, -1, -1);
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Text), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(row.adjusted(0, 0, -1, -1));
}

void CMSFlexGrid::contextMenuEvent(QContextMenuEvent* pEvent)
{
    // The event comes from the viewport, in its coordinates.
    const int nRow = rowAt(pEvent->pos().y());
    if (m_fnRowMenu && nRow >= 0)
        m_fnRowMenu(nRow, pEvent->globalPos());
    pEvent->accept();
}

void CMSFlexGrid::mouseDoubleClickEvent(QMouseEvent* pEvent)
{
    const int nRow = rowAt(pEvent->position().toPoint().y());
    if (m_fnRowDoubleClick && nRow >= 0 && pEvent->button() == Qt::LeftButton)
        m_fnRowDoubleClick(nRow);
    pEvent->accept();
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
    return static_cast<int>((nTwips * logicalDpiX() * m_dScale + 720) / 1440);
}

void CMSFlexGrid::ColWidth(int nCol, int nTwips)
{
    if (nCol < 0 || nCol >= kCols)
        return;
    m_colTwips[nCol] = std::max(0, nTwips);
    setColumnHidden(nCol, nTwips <= 0);
    if (m_dScale != 1.0)
        FitColumns();
    else if (nTwips > 0)
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

void CMSFlexGrid::CellToolTip(const CString& strText)
{
    QTableWidgetItem* pItem = CurrentItem();
    pItem->setData(ToolTipBytesRole, QByteArray(strText.GetString(), strText.GetLength()));
    // Lines from the day files, shown as they stand: never as markup, columns kept aligned.
    const QString text = ToQString(strText);
    pItem->setData(Qt::ToolTipRole, text.isEmpty() ? QVariant()
                                                    : QVariant(QStringLiteral("<pre>") + text.toHtmlEscaped() +
                                                               QStringLiteral("</pre>")));
}

CString CMSFlexGrid::CellBytes(int nRow, int nCol, int nRole) const
{
    const QTableWidgetItem* pItem = item(nRow, nCol);
    if (!pItem)
        return CString();
    const QByteArray bytes = pItem->data(nRole).toByteArray();
    return CString(bytes.constData(), static_cast<int>(bytes.size()));
}

CString CMSFlexGrid::GetCellToolTip(int nRow, int nCol) const
{
    return CellBytes(nRow, nCol, ToolTipBytesRole);
}

CString CMSFlexGrid::GetTextMatrix(int nRow, int nCol) const
{
    return CellBytes(nRow, nCol, BytesRole);
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
