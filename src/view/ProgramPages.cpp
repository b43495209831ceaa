// The program grid and the details page of the lower grid: one row per boat, texts from the
// document's formatters, the predictions of the details page marked when they won.
#include "model/KeluDoc.h"
#include "platform/Sjis.h"
#include "view/GridCells.h"
#include "view/KeluView.h"

namespace {

using BoatText = CString (*)(CKeluDoc& doc, int b);

template <CString (CKeluDoc::*pfnField)(int) const>
CString Field(CKeluDoc& doc, int b)
{
    return (doc.*pfnField)(b);
}

// The two marks side by side: by the meet's results, then by the racer index.
CString Marks(CKeluDoc& doc, int b)
{
    return doc.GetMeetMark(b) + doc.GetIndexMark(b);
}

// Row n of the prediction columns lists the n-th exacta pick and trifecta picks 2n-1 and 2n.
CString ExactaPick(CKeluDoc& doc, int n)
{
    return doc.GetExactaPick(n);
}

CString OddTrifectaPick(CKeluDoc& doc, int n)
{
    return doc.GetTrifectaPick(2 * n - 1);
}

CString EvenTrifectaPick(CKeluDoc& doc, int n)
{
    return doc.GetTrifectaPick(2 * n);
}

// A pick text starts with its combination; the exacta pick goes on with its percentage. In a
// dead heat every winning line of the bet marks its pick.
bool ExactaWon(CKeluDoc& doc, const CString& strPick)
{
    return strPick.GetLength() > 1 && doc.IsWinningExacta(strPick.Left(3));
}

bool TrifectaWon(CKeluDoc& doc, const CString& strPick)
{
    return strPick.GetLength() > 1 && doc.IsWinningTrifecta(strPick);
}

struct CProgramColumn {
    int nTwips;
    const char* pszHeading;
    bool bHeadingCentred;
    short nAlign;
    BoatText pfnText;
};

const CProgramColumn kProgramColumns[CMSFlexGrid::kCols] = {
    {320, "艇", false, flexAlignCenterCenter, Field<&CKeluDoc::GetBoatNo>},
    {550, "予", true, flexAlignRightCenter, Marks},
    {1040, "選　手", true, flexAlignLeftCenter, Field<&CKeluDoc::GetRacerName>},
    {320, "級", true, flexAlignRightCenter, Field<&CKeluDoc::GetClass>},
    {550, "勝率", false, flexAlignRightCenter, Field<&CKeluDoc::GetWinRate>},
    {680, "複率", true, flexAlignRightCenter, Field<&CKeluDoc::GetTwoRate>},
    {550, "当率", true, flexAlignRightCenter, Field<&CKeluDoc::GetLocalWinRate>},
    {680, "当複", true, flexAlignRightCenter, Field<&CKeluDoc::GetLocalTwoRate>},
    {550, "モ率", true, flexAlignRightCenter, Field<&CKeluDoc::GetMotorRate>},
    {550, "ボ率", true, flexAlignRightCenter, Field<&CKeluDoc::GetBoatRate>},
    {1350, "今節成績", true, flexAlignLeftCenter, Field<&CKeluDoc::GetMeetResults>},
    {320, "早", true, flexAlignRightCenter, Field<&CKeluDoc::GetEarlyRace>},
};

struct CDetailColumn {
    int nTwips;
    const char* pszHeading;
    bool bHeadingCentred;
    short nAlign;
    bool bBoatColor;       // the row's boat colour; the prediction columns stay white
    BoatText pfnText;      // nullptr: the separator column, left empty
    bool (*pfnWon)(CKeluDoc& doc, const CString& strPick);
};

const CDetailColumn kDetailColumns[CMSFlexGrid::kCols] = {
    {320, "艇", false, flexAlignCenterCenter, true, Field<&CKeluDoc::GetBoatNo>, nullptr},
    {600, "登番", true, flexAlignCenterCenter, true, Field<&CKeluDoc::GetRegNo>, nullptr},
    {340, "歳", true, flexAlignCenterCenter, true, Field<&CKeluDoc::GetAge>, nullptr},
    {580, "出身", true, flexAlignCenterCenter, true, Field<&CKeluDoc::GetBranch>, nullptr},
    {550, "体重", false, flexAlignCenterCenter, true, Field<&CKeluDoc::GetWeight>, nullptr},
    {500, "モ", true, flexAlignCenterCenter, true, Field<&CKeluDoc::GetMotorNo>, nullptr},
    {500, "ボ", true, flexAlignCenterCenter, true, Field<&CKeluDoc::GetHullNo>, nullptr},
    {10, "", true, flexAlignCenterCenter, true, nullptr, nullptr},
    {1050, "選手指数", true, flexAlignRightCenter, true, Field<&CKeluDoc::GetIndexText>, nullptr},
    {1283, "2連単", true, flexAlignCenterCenter, false, ExactaPick, ExactaWon},
    {850, "3連単", true, flexAlignCenterCenter, false, OddTrifectaPick, TrifectaWon},
    {850, "3連単", true, flexAlignCenterCenter, false, EvenTrifectaPick, TrifectaWon},
};

constexpr int kFirstBoatRow = 1;
constexpr int kLastBoatRow = 6;

// Row 0 of a layout: widths and headings; a heading that is not centred keeps the grid's own
// alignment.
template <class Column>
void LayOutHeadings(CMSFlexGrid& grid, const Column (&columns)[CMSFlexGrid::kCols])
{
    grid.Row(0);
    for (int nCol = 0; nCol < CMSFlexGrid::kCols; ++nCol) {
        const Column& c = columns[nCol];
        grid.Col(nCol);
        grid.ColWidth(nCol, c.nTwips);
        grid.Text(Sjis(c.pszHeading));
        if (c.bHeadingCentred)
            grid.CellAlignment(flexAlignCenterCenter);
        grid.CellBackColor(kHeadingColor);
    }
}

} // namespace

COLORREF CKeluView::BoatColor(int nBoat)
{
    static const COLORREF kBoatColors[] = {0xFFFFFF, 0xCCCCCC, 0xCCCCFF, 0xFFCCCC, 0xCCFFFF, 0xCCFFCC};
    return nBoat >= 1 && nBoat <= 6 ? kBoatColors[nBoat - 1] : kWhite;
}

// The program grid's formats are set once; a render only rewrites its texts. The set-up runs
// again on a new document, which leaves no venue chosen: the boats of the race shown before
// must not stay under empty titles, so the boat rows are emptied here as well.
void CKeluView::SetUpProgramGrid()
{
    CMSFlexGrid& grid = *m_gridProgram;
    grid.Redraw(false);
    LayOutHeadings(grid, kProgramColumns);
    for (int nRow = kFirstBoatRow; nRow <= kLastBoatRow; ++nRow)
        for (int nCol = 0; nCol < CMSFlexGrid::kCols; ++nCol) {
            SetCellFormat(grid, nRow, nCol, kProgramColumns[nCol].nAlign, BoatColor(nRow));
            grid.Text(CString());
        }
    grid.Redraw(true);
}

void CKeluView::ShowProgramGrid()
{
    CMSFlexGrid& grid = *m_gridProgram;
    CKeluDoc& doc = *GetDocument();
    grid.Redraw(false);
    for (int n = kFirstBoatRow; n <= kLastBoatRow; ++n)
        for (int nCol = 0; nCol < CMSFlexGrid::kCols; ++nCol)
            SetCellText(grid, n, nCol, kProgramColumns[nCol].pfnText(doc, n));
    grid.Redraw(true);
    // The lower grid always shows the same race as the upper one.
    ShowLowerPage();
}

// The lower grid carries the results page too, so the details layout is built anew each time.
// The picks are asked for from number 1 on, which makes the document compute them for the
// race on show.
void CKeluView::ShowDetailPage()
{
    CMSFlexGrid& grid = *m_gridLower;
    CKeluDoc& doc = *GetDocument();
    grid.Redraw(false);
    grid.Clear();
    LayOutHeadings(grid, kDetailColumns);
    for (int n = kFirstBoatRow; n <= kLastBoatRow; ++n) {
        for (int nCol = 0; nCol < CMSFlexGrid::kCols; ++nCol) {
            const CDetailColumn& c = kDetailColumns[nCol];
            SetCellFormat(grid, n, nCol, c.nAlign, c.bBoatColor ? BoatColor(n) : kWhite);
            if (!c.pfnText)
                continue;
            const CString strText = c.pfnText(doc, n);
            grid.Text(strText);
            if (c.pfnWon && c.pfnWon(doc, strText))
                grid.CellBackColor(kWinColor);
        }
    }
    grid.Redraw(true);
}
