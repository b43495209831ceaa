#include "favorites/FavoriteRacer.h"

#include "favorites/FavoriteList.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"

#include <algorithm>

namespace {

// Splits s at its first TAB: the text before it, and in rRest what follows it (empty when
// there is no TAB). s and rRest may be the same string.
CString TakeField(const CString& s, CString& rRest)
{
    const int nTab = s.Find('\t');
    CString strField = nTab < 0 ? s : s.Left(nTab);
    rRest = nTab < 0 ? CString() : s.Mid(nTab + 1);
    return strField;
}

} // namespace

CFavoriteRacer::CFavoriteRacer(const CString& strLine, const CString& strRacerOfDay)
    : m_nRegNo(CFavoriteList::Key(strLine))
    , m_strKey(CFavoriteList::KeyText(strLine))
    , m_strName(CFavoriteList::Name(strLine))
    , m_strLine(strLine)
{
    TakeRacerOfDay(strRacerOfDay);
}

CFavoriteRacer::CFavoriteRacer(const CString& strLine, CKeluDoc& doc)
    : CFavoriteRacer(strLine, doc.FindRacerOfDay(CFavoriteList::Key(strLine)))
{
}

// The answer is "name TAB venue TAB race TAB race ...", or empty when the racer has no race.
void CFavoriteRacer::TakeRacerOfDay(const CString& strInfo)
{
    if (strInfo.IsEmpty())
        return;
    CString strRest;
    const CString strName = TakeField(strInfo, strRest);
    // The day's name replaces the list's only when it says more: a name the user typed in
    // full is not cut back to the program's eight bytes.
    if (strName.GetLength() > m_strName.GetLength()) {
        m_strName = strName;
        m_bNameGrew = true;
    }
    if (strRest.IsEmpty())
        return;
    m_nVenue = AtoI(TakeField(strRest, strRest));
    m_strRace1 = TakeField(strRest, m_strRace2);
}

int CFavoriteRacer::RaceNumber(const CString& strRace)
{
    const int nR = strRace.Find('R');
    return nR < 0 ? 0 : AtoI(strRace.Left(nR));
}

CString CFavoriteRacer::Title() const
{
    CString strTitle = m_strKey + " " + m_strName;
    strTitle.Replace('\t', ' ');
    return strTitle;
}

CString CFavoriteRacer::Line() const
{
    return m_bNameGrew ? m_strKey + "\t" + m_strName : m_strLine;
}

std::optional<std::vector<CFavoriteRacer>> CFavoriteRacer::LoadDay(CKeluDoc& doc)
{
    CFavoriteList list;
    if (!list.Read())
        return std::nullopt;
    std::vector<CString> lines = list.Lines();
    const size_t nRead = std::min(lines.size(), static_cast<size_t>(CFavoriteList::kMaxRacers));
    std::vector<CFavoriteRacer> racers;
    racers.reserve(nRead);
    bool bNamed = false;
    for (size_t i = 0; i < nRead; ++i) {
        racers.emplace_back(lines[i], doc);
        if (racers.back().NameGrew()) {
            lines[i] = racers.back().Line();
            bNamed = true;
        }
    }
    // A failed write only postpones the names to the next rebuild; the menu shows them anyway.
    if (bNamed)
        CFavoriteList::Write(lines);
    return racers;
}
