#include "historytool/StoreSession.h"

#include "historytool/Arguments.h"
#include "historytool/DataFolder.h"
#include "history/HistoryIndexer.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"
#include "platform/Time.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <thread>
#include <vector>

namespace {

std::string IndexedText(const CIndexedDay& d)
{
    if (d.state.state == EDayState::Read)
        return std::to_string(d.nRaces) + " レースを読みました";
    return DayFault(d.state) + "集計に入れません";
}

} // namespace

std::string DayFault(const CDayState& s)
{
    static const std::map<EDamage, CReadStop::EKind> kReadStops = {
        {EDamage::LineTooLong, CReadStop::EKind::LineTooLong}, {EDamage::Truncated, CReadStop::EKind::Truncated}};
    if (s.state == EDayState::Read)
        return {};
    if (s.state == EDayState::Demo)
        return "デモの日（架空の選手）です。";
    const std::string strFile = SjisToUtf8(s.strDamageFile.Str());
    std::string text;
    if (const auto it = kReadStops.find(s.damage); it != kReadStops.end())
        text = SjisToUtf8(ReadStopText({it->second, s.strDamageFile, s.nDamageLine, s.nDamageVenue}).Str());
    else if (s.damage == EDamage::NoRaces)
        text = strFile + " にはレース場がひとつもありません。";
    else
        text = strFile + " を開けません。";
    return "壊れています: " + text;
}

int Threads()
{
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void CStoreSession::Say(const std::string& strText) const
{
    std::fprintf(stderr, "kelu-history: %s\n", m_folder.Real(strText).c_str());
}

void CStoreSession::SayNotices()
{
    const std::vector<std::string>& notices = m_store.Notices();
    for (; m_nNoticesSaid < notices.size(); ++m_nNoticesSaid)
        Say(notices[m_nNoticesSaid]);
}

bool CStoreSession::Open()
{
    const bool bOpen = m_store.Open();
    SayNotices();
    return bOpen;
}

bool CStoreSession::Update(const CForecastModel& model, std::string* pReport, std::string& strError)
{
    const std::atomic<bool> bStop{false};
    CIndexSummary summary = CHistoryIndexer(m_store, &model).Update(Threads(), bStop);
    if (!summary.bOk && m_store.IsDamaged()) {
        m_nNoticesSaid = 0;
        if (m_store.Rebuild())
            summary = CHistoryIndexer(m_store, &model).Update(Threads(), bStop);
        SayNotices();
    }
    if (!summary.bOk) {
        strError = summary.strError;
        return false;
    }
    if (!pReport)
        return true;
    std::vector<CIndexedDay> indexed = summary.indexed;
    std::sort(indexed.begin(), indexed.end(),
              [](const CIndexedDay& a, const CIndexedDay& b) { return a.state.nDate < b.state.nDate; });
    for (const CIndexedDay& d : indexed)
        *pReport += DateText(d.state.nDate, '-') + ": " + m_folder.Real(IndexedText(d)) + "\n";
    for (int nDate : summary.removed)
        *pReport += DateText(nDate, '-') + ": ファイルがないので履歴から除きました\n";
    *pReport += "読んだ日: " + std::to_string(indexed.size()) + "、除いた日: " + std::to_string(summary.removed.size()) +
                "、変わりのない日: " + std::to_string(summary.nUnchanged) + "\n";
    return true;
}

bool CStoreSession::Ask(const CForecastModel& model, const std::function<bool(CHistoryStore&)>& question)
{
    if (question(m_store))
        return true;
    if (!m_store.IsDamaged())
        return false;
    std::string strError;
    m_nNoticesSaid = 0;
    if (!m_store.Rebuild()) {
        SayNotices();
        return false;
    }
    SayNotices();
    return Update(model, nullptr, strError) && question(m_store);
}
