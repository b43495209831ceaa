#include "model/KeluDoc.h"

#include "platform/Sjis.h"

#include <array>
#include <cstring>

namespace {

// Venue codes of the day files, 1..24, and their names; 0 is no venue.
const char* const kVenueNames[CKeluDoc::kVenues] = {
    "",     "桐生", "戸田", "江戸川", "平和島", "多摩川", "浜名湖", "蒲郡", "常滑",
    "津",   "三国", "びわこ", "住之江", "尼崎", "鳴門", "丸亀", "児島", "宮島",
    "徳山", "下関", "若松", "芦屋", "福岡", "唐津", "大村",
};

// The text of a slot; slots are always NUL-terminated, this only guards a damaged one.
CString SlotText(const char (&slot)[CKeluDoc::kLineSize])
{
    return CString(slot, static_cast<int>(strnlen(slot, CKeluDoc::kLineSize)));
}

} // namespace

CKeluDoc::CKeluDoc()
{
    for (double& d : m_dExactaPercent)
        d = 0.0;
    for (double& d : m_dTrifectaPercent)
        d = 0.0;
    // A full day fills some 7,500 slots.
    m_filled.reserve(8192);
    m_previous.reserve(8192);
    m_slotStates.resize(sizeof(CKeluDoc) / kLineSize + 1);
    ClearData();
}

void CKeluDoc::ClearData()
{
    std::memset(m_szVenueHead, 0, sizeof m_szVenueHead);
    std::memset(m_szProgram, 0, sizeof m_szProgram);
    std::memset(m_szResult, 0, sizeof m_szResult);
    std::memset(m_szSummary, 0, sizeof m_szSummary);
    m_readStop = CReadStop();
    m_bDemoDay = false;
    std::memset(m_szFinish, 0, sizeof m_szFinish);
    for (char* pSlot : m_filled)
        StateOf(pSlot).nLength = 0;
    m_filled.clear();
}

bool CKeluDoc::HasRace(int nVenue, int nRace) const
{
    // The race is checked too, so that no caller can read outside the arrays.
    if (nVenue <= 0 || nVenue >= kVenues || nRace < 0 || nRace >= kRaces)
        return false;
    return m_szProgram[nVenue][nRace][0][0] != '\0';
}

bool CKeluDoc::SetSelection(int nVenue, int nRace)
{
    if (nVenue != 0)
        m_nVenue = nVenue;
    if (nRace != 0)
        m_nRace = nRace;
    return true;
}

void CKeluDoc::ClearSelection()
{
    m_nVenue = 0;
    m_nRace = 0;
}

bool CKeluDoc::IsSelectedRaceValid() const
{
    // Race 0 holds only the stray lines before a block's first race header: nothing shows it.
    return m_nVenue > 0 && m_nVenue < kVenues && m_nRace > 0 && m_nRace < kRaces;
}

CString CKeluDoc::GetProgramLine(int nLine) const
{
    if (!IsSelectedRaceValid() || nLine < 0 || nLine >= kBoats)
        return CString();
    return SlotText(m_szProgram[m_nVenue][m_nRace][nLine]);
}

CString CKeluDoc::GetFinishLine(int nPlace) const
{
    if (!IsSelectedRaceValid() || nPlace < 1 || nPlace > kBoats - 1)
        return CString();
    return SlotText(m_szFinish[m_nVenue][m_nRace][nPlace - 1]);
}

CString CKeluDoc::GetResultLine(int nLine) const
{
    if (!IsSelectedRaceValid() || nLine < 0 || nLine >= kResultLines)
        return CString();
    return SlotText(m_szResult[m_nVenue][m_nRace][nLine]);
}

CString CKeluDoc::GetSummaryLine() const
{
    if (!IsSelectedRaceValid())
        return CString();
    return SlotText(m_szSummary[m_nVenue][m_nRace]);
}

CString CKeluDoc::GetRaceTitle() const
{
    const CString header = GetProgramLine(0);
    if (header.IsEmpty())
        return CString();
    return CString::Formatted(" %s", header.GetString());
}

CString CKeluDoc::GetVenueTitle() const
{
    if (m_nVenue <= 0 || m_nVenue >= kVenues)
        return CString();
    const CString line0 = SlotText(m_szVenueHead[m_nVenue][0]);
    const CString line4 = SlotText(m_szVenueHead[m_nVenue][4]);
    return CString::Formatted(" %s%s", line0.Mid(kVenueHeadingStart).GetString(), line4.GetString());
}

CString CKeluDoc::GetVenueName(int nVenue)
{
    if (nVenue <= 0 || nVenue >= kVenues)
        return CString();
    static const auto names = [] {
        std::array<CString, kVenues> a;
        for (int v = 0; v < kVenues; ++v)
            a[static_cast<size_t>(v)] = Sjis(kVenueNames[v]);
        return a;
    }();
    return names[static_cast<size_t>(nVenue)];
}

CString ReadStopText(const CReadStop& stop)
{
    if (stop.kind == CReadStop::EKind::None)
        return CString();
    // The published files hold one block a venue, from the highest code down: what comes after
    // the line in the file is what is missing.
    const bool bResults = stop.strFile.Find("data/res/") == 0;
    const CString strWhat = Sjis(bResults ? "結果" : "番組");
    const CString strVenue = CKeluDoc::GetVenueName(stop.nVenue);
    CString strText = stop.strFile;
    const CString strLine = CString::Formatted(" %d ", stop.nLine);
    if (stop.kind == CReadStop::EKind::LineTooLong)
        strText += Sjis(" の") + strLine + Sjis("行目が長すぎるため、そこで読むのをやめました。");
    else
        strText += Sjis(" は") + strLine + Sjis("行目で途切れています。");
    if (!strVenue.IsEmpty())
        strText += strVenue + Sjis(" と、ファイルでその後に続くレース場の") + strWhat + Sjis("が欠けています。");
    else
        strText += Sjis("ファイルでその後に続くレース場の") + strWhat + Sjis("が欠けています。");
    return strText;
}
