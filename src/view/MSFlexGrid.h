#pragma once
// The view's two tables. The view drives them the way it always has: choose the current cell
// with Row and Col, then write its text, alignment and background; widths are in twips and
// colours are 0x00BBGGRR. Everything is display only: no editing, no selection, no events.
// The read-back accessors exist for the tests, which check what the view wrote.

#include "platform/String.h"

#include <QTableWidget>

#include <functional>
#include <vector>

using COLORREF = unsigned int; // 0x00BBGGRR

enum : short {
    flexAlignLeftCenter = 1,
    flexAlignCenterCenter = 4,
    flexAlignRightCenter = 7,
    // A cell nobody aligned: text to the left, a number to the right.
    flexAlignGeneral = 9,
};

class CMSFlexGrid : public QTableWidget {
public:
    static constexpr int kRows = 7;
    static constexpr int kCols = 12;
    static constexpr COLORREF kDefaultBackColor = 0xFFFFFF;
    // The lines between the cells: dark enough to part the texts on every boat's colour, where
    // the style's light grey vanished on the grey and the pale rows.
    static constexpr QRgb kGridLineColor = 0xFF808080;

    explicit CMSFlexGrid(QWidget* pParent);

    // False: the changes that follow are not painted until Redraw(true).
    void Redraw(bool bOn);
    // Empties every cell and forgets its alignment and colour; the counts and widths stay.
    void Clear();
    void Row(int nRow);
    void Col(int nCol);
    // The current cell's text, Shift-JIS.
    void Text(const CString& strText);
    // Width in twips (1/1440 inch) at the screen's resolution; 0 hides the column.
    void ColWidth(int nCol, int nTwips);
    void CellAlignment(short nAlign);
    void CellBackColor(COLORREF color);
    // A text shown when the pointer rests on the current cell, lines separated by "\n".
    void CellToolTip(const CString& strText);

    CString GetTextMatrix(int nRow, int nCol) const;
    COLORREF GetCellBackColor(int nRow, int nCol) const;
    short GetCellAlignment(int nRow, int nCol) const;
    int GetColWidth(int nCol) const;
    CString GetCellToolTip(int nRow, int nCol) const;
    // The row height the cell font needs; the form's grids are tall enough for seven rows.
    int RowHeight() const { return m_nRowHeight; }
    // Draws the grid at dFactor times its standard size: its font, row heights and column
    // widths, so that a form shown larger keeps its proportions.
    void SetScale(double dFactor);
    // A frame around the row, so that the eye finds it (-1: none).
    void MarkRow(int nRow);
    int MarkedRow() const { return m_nMarkedRow; }
    // What the right mouse button (with the point on the screen) and a double click on a row
    // ask for; the grid itself has no commands.
    void SetRowMenuHandler(std::function<void(int nRow, const QPoint& globalPos)> fn) { m_fnRowMenu = std::move(fn); }
    void SetRowDoubleClickHandler(std::function<void(int nRow)> fn) { m_fnRowDoubleClick = std::move(fn); }

    // Where a cell is painted in the viewport, the text painted there (without the blanks on
    // the side it is aligned to), and the font it is drawn in: the grid's face, condensed when
    // the text would not fit the cell otherwise.
    QRect CellRect(int nRow, int nCol) const;
    QString CellShownText(int nRow, int nCol) const;
    QFont CellFont(int nRow, int nCol) const;
    // The part of a cell its text goes into.
    static QRect TextRect(const QRect& cell);
    // font, or a condensed stretch of it in which text is at most nRoom pixels wide.
    static QFont FitFont(const QFont& font, const QString& text, int nRoom);

protected:
    void resizeEvent(QResizeEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void DrawGridLines();
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* pEvent) override;

private:
    void FitRows();
    // Sets the columns' widths at the grid's scale.
    void FitColumns();
    // The Shift-JIS bytes a cell keeps under the role, as they were written.
    CString CellBytes(int nRow, int nCol, int nRole) const;
    QTableWidgetItem* CurrentItem() const;
    int TwipsToPixels(int nTwips) const;

    int m_nRow = 0;
    int m_nCol = 0;
    int m_nMarkedRow = -1;
    std::function<void(int, const QPoint&)> m_fnRowMenu;
    std::function<void(int)> m_fnRowDoubleClick;
    int m_nRowHeight = 0;
    double m_dScale = 1.0;
    QFont m_fontStandard;
    std::vector<int> m_colTwips;
};
