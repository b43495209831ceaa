// The results page of the lower grid: the finishing order (columns 0-5), the winning
// technique and the weather (column 6) and the payouts (columns 7-10) side by side.
#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "platform/Sjis.h"
#include "view/GridCells.h"
#include "view/KeluView.h"

#include <iterator>

namespace {

// Boats that flew (F), started late (L) or stayed away (K) are shown in red.
constexpr COLORREF kOutColor = 0x3333FF;

using PlaceText = CString (CKeluDoc::*)(int p) const;
using RaceText = CString (CKeluDoc::*)() const;

struct CResultColumn {
    int nTwips;
    const char* pszHeading;
    bool bHeadingCentred;
};

// Column 7's heading is the first bet name; column 11 is hidden.
const CResultColumn kResultColumns[CMSFlexGrid::kCols] = {
    {340, "着", false},    {340, "艇", true},       {1070, "選手", true}, {320, "コ", true},
    {340, "ST", false},    {900, "タイム", true},   {1140, "決まり手", true}, {760, "単勝", true},
    {760, "", true},       {900, "", true},         {560, "", true},      {0, "", true},
};

constexpr int kBoatColumn = 1;
constexpr int kConditionColumn = 6;
constexpr int kBetColumn = 7;
constexpr int kComboColumn = 8;
constexpr int kPayColumn = 9;
constexpr int kPopularityColumn = 10;

struct CFinishColumn {
    PlaceText pfnText;
    short nAlign;
};

const CFinishColumn kFinishColumns[] = {
    {&CKeluDoc::GetFinishPlace, flexAlignCenterCenter},
    {&CKeluDoc::GetFinishBoat, flexAlignCenterCenter},
    {&CKeluDoc::GetFinishRacerName, flexAlignLeftCenter},
    {&CKeluDoc::GetFinishCourse, flexAlignCenterCenter},
    {&CKeluDoc::GetFinishStart, flexAlignCenterCenter},
    {&CKeluDoc::GetFinishTime, flexAlignCenterCenter},
};

// Column 6 below its heading and its weather label: each value with its unit around it.
struct CConditionRow {
    int nRow;
    const char* pszPrefix;
    RaceText pfnValue;
    const char* pszSuffix;
};

const CConditionRow kConditionRows[] = {
    {1, "", &CKeluDoc::GetWinningMove, ""},
    {3, "", &CKeluDoc::GetWeather, ""},
    {4, "風 ", &CKeluDoc::GetWindDirection, ""},
    {5, "風速", &CKeluDoc::GetWindSpeed, "m"},
    {6, "波高 ", &CKeluDoc::GetWaveHeight, "cm"},
};
constexpr int kWeatherLabelRow = 2;

// One bet line a row. The place bet pays two boats, so it takes two rows; neither has a
// popularity, and the second carries the popularity column's label instead. A bet that paid
// more than its row shows gets the mark after its combination, the place bet on its second row.
struct CPayoutRow {
    const char* pszBet;
    RaceText pfnCombo;
    short nComboAlign;
    RaceText pfnPay;
    RaceText pfnPopularity;
    CKeluDoc::EBet eBet;
    bool bMarked;
};

using EBet = CKeluDoc::EBet;
const CPayoutRow kPayoutRows[CMSFlexGrid::kRows] = {
    {"単勝", &CKeluDoc::GetWinBoat, flexAlignCenterCenter, &CKeluDoc::GetWinPay, nullptr, EBet::Win, true},
    {"複勝", &CKeluDoc::GetPlaceBoat, flexAlignCenterCenter, &CKeluDoc::GetPlacePay, nullptr, EBet::Place, false},
    {"複勝", &CKeluDoc::GetPlaceBoat2, flexAlignCenterCenter, &CKeluDoc::GetPlacePay2, nullptr, EBet::Place, true},
    {"2連単", &CKeluDoc::GetExactaResult, flexAlignRightCenter, &CKeluDoc::GetExactaPay, &CKeluDoc::GetExactaPopularity, EBet::Exacta, true},
    {"2連複", &CKeluDoc::GetQuinellaResult, flexAlignRightCenter, &CKeluDoc::GetQuinellaPay, &CKeluDoc::GetQuinellaPopularity, EBet::Quinella, true},
    {"3連単", &CKeluDoc::GetTrifectaResult, flexAlignRightCenter, &CKeluDoc::GetTrifectaPay, &CKeluDoc::GetTrifectaPopularity, EBet::Trifecta, true},
    {"3連複", &CKeluDoc::GetTrioResult, flexAlignRightCenter, &CKeluDoc::GetTrioPay, &CKeluDoc::GetTrioPopularity, EBet::Trio, true},
};
constexpr int kPopularityLabelRow = 2;
constexpr int kExactaRow = 3;
constexpr int kTrifectaRow = 5;

// Widths, headings, labels and the colours that do not depend on the race.
void LayOutResultFrame(CMSFlexGrid& grid)
{
    for (int nCol = 0; nCol < CMSFlexGrid::kCols; ++nCol) {
        const CResultColumn& c = kResultColumns[nCol];
        grid.ColWidth(nCol, c.nTwips);
        SetCellText(grid, 0, nCol, Sjis(c.pszHeading));
        if (c.bHeadingCentred)
            grid.CellAlignment(flexAlignCenterCenter);
        // Row 0 of the payout values holds the win line, not headings.
        grid.CellBackColor(nCol >= kComboColumn && nCol <= kPopularityColumn ? kWhite : kHeadingColor);
        for (int nRow = 1; nRow < CMSFlexGrid::kRows; ++nRow)
            SetCellFormat(grid, nRow, nCol, flexAlignCenterCenter, kWhite);
    }
    SetCellText(grid, kWeatherLabelRow, kConditionColumn, Sjis("気　　象"));
    grid.CellBackColor(kHeadingColor);
    SetCellText(grid, kPopularityLabelRow, kPopularityColumn, Sjis("人気"));
    grid.CellBackColor(kHeadingColor);
    for (int nRow = 0; nRow < CMSFlexGrid::kRows; ++nRow) {
        SetCellText(grid, nRow, kBetColumn, Sjis(kPayoutRows[nRow].pszBet));
        grid.CellBackColor(kHeadingColor);
    }
}

void ShowFinishOrder(CMSFlexGrid& grid, const CKeluDoc& doc)
{
    static const CString kNoStatus(" ");
    for (int p = 1; p <= 6; ++p) {
        const CString strBoat = doc.GetFinishBoat(p);
        const CString strPlace = doc.GetFinishPlace(p);
        for (int nCol = 0; nCol < static_cast<int>(std::size(kFinishColumns)); ++nCol) {
            // The boat number keeps its boat's colour whatever became of the boat.
            const CString& strStatus = nCol == kBoatColumn ? kNoStatus : strPlace;
            const CFinishColumn& column = kFinishColumns[nCol];
            SetCellFormat(grid, p, nCol, column.nAlign, CKeluView::FinishCellColor(strBoat, strStatus));
            // The member pointer is read before the call: GCC 12's array-bounds check
            // miscompiles a call that indexes its table within the call expression.
            const PlaceText pfnText = column.pfnText;
            grid.Text((doc.*pfnText)(p));
        }
    }
}

void ShowConditions(CMSFlexGrid& grid, const CKeluDoc& doc)
{
    for (const CConditionRow& r : kConditionRows) {
        SetCellText(grid, r.nRow, kConditionColumn, Sjis(r.pszPrefix) + (doc.*r.pfnValue)() + Sjis(r.pszSuffix));
        grid.CellAlignment(flexAlignLeftCenter);
    }
}

void SetPayoutCell(CMSFlexGrid& grid, int nRow, int nCol, short nAlign, const CString& strText)
{
    SetCellAlignment(grid, nRow, nCol, nAlign);
    grid.Text(strText);
}

// Rows 3 and 5 are marked when the real exacta or trifecta was among the details page's
// first six or twelve picks.
void ShowPayouts(CMSFlexGrid& grid, const CKeluDoc& doc, COLORREF exactaColor, COLORREF trifectaColor)
{
    for (int nRow = 0; nRow < CMSFlexGrid::kRows; ++nRow) {
        const CPayoutRow& r = kPayoutRows[nRow];
        const CString strCombo = (doc.*r.pfnCombo)();
        SetPayoutCell(grid, nRow, kComboColumn, r.nComboAlign, r.bMarked ? doc.WithMoreMark(strCombo, r.eBet) : strCombo);
        SetPayoutCell(grid, nRow, kPayColumn, flexAlignRightCenter, (doc.*r.pfnPay)());
        if (r.pfnPopularity)
            SetPayoutCell(grid, nRow, kPopularityColumn, flexAlignRightCenter, (doc.*r.pfnPopularity)());
    }
    for (int nCol = kComboColumn; nCol <= kPopularityColumn; ++nCol) {
        SetCellColor(grid, kExactaRow, nCol, exactaColor);
        SetCellColor(grid, kTrifectaRow, nCol, trifectaColor);
    }
}

// The cells show a bet's first line; where a dead heat gave it more, they list all of them
// when the pointer rests on the bet.
CString MoreThanShown(const CKeluDoc& doc, const CPayoutRow& r)
{
    if (!doc.HasMoreThanShown(r.eBet))
        return CString();
    const std::vector<CString> lines = doc.GetBetLines(r.eBet);
    CString text = Sjis(r.pszBet);
    for (const CString& line : lines)
        text += "\n" + line;
    return text;
}

void ShowAllLinesOfDeadHeats(CMSFlexGrid& grid, const CKeluDoc& doc)
{
    for (int nRow = 0; nRow < CMSFlexGrid::kRows; ++nRow) {
        const CString tip = MoreThanShown(doc, kPayoutRows[nRow]);
        if (tip.IsEmpty())
            continue;
        for (int nCol = kBetColumn; nCol <= kPopularityColumn; ++nCol) {
            grid.Row(nRow);
            grid.Col(nCol);
            grid.CellToolTip(tip);
        }
    }
}

} // namespace

COLORREF CKeluView::FinishCellColor(const CString& strBoat, const CString& strStatus)
{
    const char chStatus = strStatus.GetAt(0);
    if (chStatus == 'F' || chStatus == 'L' || chStatus == 'K')
        return kOutColor;
    const int nBoat = AtoI(strBoat);
    return nBoat >= 2 && nBoat <= 6 ? BoatColor(nBoat) : kWhite;
}

// The lower grid carries the details page too, so the results layout is built anew each time.
void CKeluView::ShowResultPage()
{
    CMSFlexGrid& grid = *m_gridLower;
    CKeluDoc& doc = *GetDocument();
    grid.Redraw(false);
    grid.Clear();
    LayOutResultFrame(grid);
    ShowFinishOrder(grid, doc);
    const COLORREF exactaColor = doc.IsExactaHit() ? kWinColor : kWhite;
    const COLORREF trifectaColor = doc.IsTrifectaHit() ? kWinColor : kWhite;
    ShowConditions(grid, doc);
    ShowPayouts(grid, doc, exactaColor, trifectaColor);
    ShowAllLinesOfDeadHeats(grid, doc);
    grid.Redraw(true);
}
