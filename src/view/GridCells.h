#pragma once
// What the grid pages share: their colours and the writing of one cell.

#include "view/MSFlexGrid.h"

inline constexpr COLORREF kWhite = 0xFFFFFF;
// Headings and labels; the title lines of the view have the same grey.
inline constexpr COLORREF kHeadingColor = 0xEEEEEE;
// A predicted combination that won, and the payout line whose result was predicted.
inline constexpr COLORREF kWinColor = 0x9999FF;

// Writes the text of one cell, leaving the grid's current cell there.
inline void SetCellText(CMSFlexGrid& grid, int nRow, int nCol, const CString& strText)
{
    grid.Row(nRow);
    grid.Col(nCol);
    grid.Text(strText);
}

inline void SetCellFormat(CMSFlexGrid& grid, int nRow, int nCol, short nAlign, COLORREF color)
{
    grid.Row(nRow);
    grid.Col(nCol);
    grid.CellAlignment(nAlign);
    grid.CellBackColor(color);
}

inline void SetCellColor(CMSFlexGrid& grid, int nRow, int nCol, COLORREF color)
{
    grid.Row(nRow);
    grid.Col(nCol);
    grid.CellBackColor(color);
}

inline void SetCellAlignment(CMSFlexGrid& grid, int nRow, int nCol, short nAlign)
{
    grid.Row(nRow);
    grid.Col(nCol);
    grid.CellAlignment(nAlign);
}
