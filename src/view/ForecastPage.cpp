// The forecast page of the lower grid: each boat's chances to win and to finish in the first two
// and three, the forecast's six exactas and twelve trifectas with their chances and the odds at
// which a bet on each breaks even, and the winners marked once the race is decided. The page
// shows what the history store keeps for the race; the store is read on the history service's
// reading thread, and the page fills in when the answer comes.

#include "forecast/ModelFile.h"
#include "history/DayRows.h"
#include "record/HistoryService.h"
#include "history/HistoryStore.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/gui/QtText.h"
#include "view/GridCells.h"
#include "view/KeluView.h"
#include "view/TabCtrl.h"

#include <QPointer>

namespace {

constexpr int kFirstBoatRow = 1;
constexpr int kLastBoatRow = 6;

struct CForecastColumn {
    int nTwips;
    const char* pszHeading;
    short nAlign;
    bool bBoatColor;
};

// Boat, its three chances, a separator, then the picks: exacta n and trifectas 2n-1 and 2n in
// row n, as the details page lists its own.
constexpr int kExactaColumn = 5;
constexpr int kTrifectaColumn = 6;
const CForecastColumn kForecastColumns[CMSFlexGrid::kCols] = {
    {320, "艇", flexAlignCenterCenter, true},
    {620, "1着", flexAlignRightCenter, true},
    {620, "2着内", flexAlignRightCenter, true},
    {620, "3着内", flexAlignRightCenter, true},
    {10, "", flexAlignCenterCenter, true},
    {1600, "2連単 確率 倍率", flexAlignCenterCenter, false},
    {1700, "3連単 確率 倍率", flexAlignCenterCenter, false},
    {1700, "3連単 確率 倍率", flexAlignCenterCenter, false},
    {0, "", flexAlignCenterCenter, false},
    {0, "", flexAlignCenterCenter, false},
    {0, "", flexAlignCenterCenter, false},
    {0, "", flexAlignCenterCenter, false},
};

// "23.4%"
CString Percent(double dChance)
{
    return CString(PercentText(100.0 * dChance).c_str());
}

// "1-2 23.4% 4.3倍": the combination, its chance and the odds at which 100 yen on it pays back
// 100 yen on the average (1 / chance).
CString PickText(const CPick& pick, int nLanes)
{
    std::string s;
    for (int i = 0; i < nLanes; ++i)
        s += (i > 0 ? "-" : "") + std::to_string(pick.lanes[static_cast<size_t>(i)]);
    std::string text = s + " " + (FixedDecimals(100.0 * pick.dProbability, 1) + "%");
    if (pick.dProbability > 0)
        text += " " + FixedDecimals(1.0 / pick.dProbability, 1) + "倍";
    return Sjis(text);
}

// The combination a pick text starts with: "1-2" of "1-2 23.4% 4.3倍".
CString Combination(const CString& strPick)
{
    const int nBlank = strPick.Find(' ');
    return nBlank < 0 ? strPick : strPick.Left(nBlank);
}


// The note beside the tabs: the model, and which of its sets made this forecast.
QString ModelNote(const CForecastModel& model, const CForecastRow& row)
{
    const QString strSet = row.forecast.set == EFeatureSet::History
                               ? Utf8("履歴あり")
                               : Utf8("番組表のみ（この日より前の履歴が %1 日に足りません）").arg(30);
    return Utf8("予測: %1〜%2 に学習したモデル・%3").arg(DateNumberText(model.m_nFrom), DateNumberText(model.m_nTo), strSet);
}

} // namespace

void CKeluView::ShowForecastPage()
{
    CMSFlexGrid& grid = *m_gridLower;
    CKeluDoc& doc = *GetDocument();
    grid.Redraw(false);
    grid.Clear();
    grid.Row(0);
    for (int nCol = 0; nCol < CMSFlexGrid::kCols; ++nCol) {
        const CForecastColumn& c = kForecastColumns[nCol];
        grid.Col(nCol);
        grid.ColWidth(nCol, c.nTwips);
        grid.Text(Sjis(c.pszHeading));
        grid.CellAlignment(flexAlignCenterCenter);
        grid.CellBackColor(kHeadingColor);
    }
    for (int n = kFirstBoatRow; n <= kLastBoatRow; ++n)
        for (int nCol = 0; nCol < CMSFlexGrid::kCols; ++nCol) {
            const CForecastColumn& c = kForecastColumns[nCol];
            SetCellFormat(grid, n, nCol, c.nAlign, c.bBoatColor ? BoatColor(n) : kWhite);
        }

    const int nDate = DateOf(m_dateShown);
    CShownForecast& shown = m_shownForecast;
    if (doc.GetVenue() == 0 || !doc.HasRace(doc.GetVenue(), doc.GetRace())) {
        m_tab->SetNote(QString());
        grid.Redraw(true);
        return;
    }
    if (shown.nDate != nDate || shown.nVenue != doc.GetVenue() || shown.nRace != doc.GetRace() || !shown.bAnswered) {
        AskForecast(nDate, doc.GetVenue(), doc.GetRace());
        m_tab->SetNote(Utf8("予測を読んでいます..."));
        grid.Redraw(true);
        return;
    }
    m_tab->SetNote(shown.strNote, shown.strToolTip);
    if (!shown.row) {
        grid.Redraw(true);
        return;
    }
    const CForecast& f = shown.row->forecast;
    for (int b = 1; b <= 6; ++b) {
        SetCellText(grid, b, 0, CString(std::to_string(b).c_str()));
        if (!f.present[static_cast<size_t>(b - 1)])
            continue;
        const double chances[] = {f.win[static_cast<size_t>(b - 1)], f.topTwo[static_cast<size_t>(b - 1)],
                                  f.topThree[static_cast<size_t>(b - 1)]};
        for (int i = 0; i < 3; ++i)
            SetCellText(grid, b, 1 + i, Percent(chances[i]));
    }
    // The picks, marked as the details page marks its own once the race has a result.
    auto put = [&](int nRow, int nCol, const CPick& pick, int nLanes) {
        const CString strText = PickText(pick, nLanes);
        SetCellText(grid, nRow, nCol, strText);
        const CString strCombo = Combination(strText);
        if (nLanes == 2 ? doc.IsWinningExacta(strCombo) : doc.IsWinningTrifecta(strCombo))
            grid.CellBackColor(kWinColor);
    };
    for (size_t k = 0; k < f.exacta.size(); ++k)
        put(static_cast<int>(k) + 1, kExactaColumn, f.exacta[k], 2);
    for (size_t k = 0; k < f.trifecta.size(); ++k)
        put(static_cast<int>(k / 2) + 1, kTrifectaColumn + static_cast<int>(k % 2), f.trifecta[k], 3);
    grid.Redraw(true);
}

void CKeluView::AskForecast(int nDate, int nVenue, int nRace)
{
    CShownForecast& shown = m_shownForecast;
    if (shown.bAsked && shown.nDate == nDate && shown.nVenue == nVenue && shown.nRace == nRace)
        return;
    shown = CShownForecast();
    shown.nDate = nDate;
    shown.nVenue = nVenue;
    shown.nRace = nRace;
    shown.bAsked = true;
    History().Read(this, [this, nDate, nVenue, nRace](CStoreReading& reading) -> CHistoryService::CAnswer {
        const CForecastModel& model = reading.Model();
        CHistoryStore* pStore = reading.Store();
        std::vector<CForecastRow> rows;
        QString strNote, strToolTip;
        if (!model.IsUsable()) {
            strNote = Utf8("予測のモデルがないので、予測はありません");
        } else if (!pStore || !pStore->ReadForecasts(nDate, nVenue, nRace, rows)) {
            strNote = Utf8("予測を読めません: %1")
                          .arg(QString::fromStdString(pStore ? pStore->LastError() : reading.Error()));
        } else if (rows.empty()) {
            strNote = Utf8("この日のこのレースの予測はありません（番組表を読めないか、履歴にまだありません）");
        } else {
            strNote = ModelNote(model, rows.front());
            strToolTip = Utf8("学習期間: %1〜%2。倍率はその組に 100 円賭けて平均で 100 円戻る配当（1 ÷ 確率）です。")
                             .arg(DateNumberText(model.m_nFrom), DateNumberText(model.m_nTo));
        }
        std::optional<CForecastRow> row;
        if (!rows.empty())
            row = rows.front();
        const bool bUsable = model.IsUsable();
        return [this, nDate, nVenue, nRace, row, strNote, strToolTip, bUsable] {
            CShownForecast& s = m_shownForecast;
            if (s.nDate != nDate || s.nVenue != nVenue || s.nRace != nRace)
                return;
            s.bAnswered = true;
            s.row = row;
            s.strNote = strNote;
            s.strToolTip = strToolTip;
            // A day the store does not hold yet is read into it, once; the page asks again when
            // the update is done.
            if (!row && bUsable && (History().IsUpdating() || m_nForecastUpdateDate != nDate)) {
                m_nForecastUpdateDate = nDate;
                s.strNote = Utf8("この日の予測を作っています...");
                History().Update();
            }
            if (m_tab->GetCurSel() == kForecastPage)
                ShowForecastPage();
        };
    });
}

void CKeluView::ForgetForecast()
{
    m_shownForecast = CShownForecast();
    if (m_tab->GetCurSel() == kForecastPage)
        ShowForecastPage();
}
