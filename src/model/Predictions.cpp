// The racer index, the marks and the ranked exacta and trifecta predictions of the selected
// race.
//
// An index is handed around as its "%4.2f" text and read back wherever it is used, so two
// boats whose indexes print alike are equal everywhere: in the marks, in the predictions and on
// paper.

#include "model/KeluDoc.h"

#include "platform/Number.h"
#include "platform/Sjis.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace {

constexpr int kFirstBoat = 1;
constexpr int kLastBoat = CKeluDoc::kBoats - 1;
constexpr int kExactaShown = 6;     // a hit counts among the picks the details page colours
constexpr int kTrifectaShown = 12;

// The meet score of one byte of the meet results; a blank is no race and never gets here.
int PlaceScore(char ch)
{
    switch (ch) {
    case '1': return 10;
    case '2': return 8;
    case '3': return 6;
    case '4': return 4;
    case '5': return 2;
    case '6': return 1;
    case 'F': // flying start
    case 'L': // late start
        return -5;
    default:
        return 0;
    }
}

double ClassBase(const CString& cls)
{
    if (cls == "A1")
        return 4.0;
    if (cls == "A2")
        return 3.0;
    if (cls == "B1")
        return 2.0;
    return 1.0;
}

// The mark of a boat that beats nBeaten of the other five.
const CString& Mark(int nBeaten)
{
    static const std::array<CString, 6> marks = {Sjis("　"), Sjis("　"), Sjis("×"), Sjis("△"), Sjis("○"), Sjis("◎")};
    return marks[static_cast<size_t>(nBeaten < 0 ? 0 : nBeaten > 5 ? 5 : nBeaten)];
}

using Indexes = std::array<double, CKeluDoc::kBoats>; // [1..6]; 0 for a boat without an index

Indexes ReadIndexes(const CKeluDoc& doc)
{
    Indexes x{};
    for (int i = kFirstBoat; i <= kLastBoat; ++i)
        x[static_cast<size_t>(i)] = AtoF(doc.GetRacerIndex(i));
    return x;
}

double Sum(const Indexes& x)
{
    double t = 0.0;
    for (int i = kFirstBoat; i <= kLastBoat; ++i)
        t += x[static_cast<size_t>(i)];
    return t;
}

// A share of nothing is nothing: when only one boat has an index, the others' shares of the
// remaining places have a zero denominator, and those orders cannot happen.
double Share(double dPart, double dWhole)
{
    return dWhole == 0.0 ? 0.0 : dPart / dWhole;
}

// With two boats indexed, T - xa - xb of the other two is zero but rounds to a tiny negative
// number, and the third place's 0 / -tiny is -0: keep the table at plain 0.
double Percentage(double d)
{
    return d == 0.0 ? 0.0 : d;
}

// Empties a pick table: every label and every percentage, entry 0 included.
void ClearTable(CString* pLabels, double* pPercents, int nEntries)
{
    for (int k = 0; k < nEntries; ++k) {
        pLabels[k].Empty();
        pPercents[k] = 0.0;
    }
}

// Orders entries 1..nLast from the highest percentage down by exchanging every pair (p, q) in
// turn whose q-th percentage is below the p-th. Entries of equal percentage end where these
// exchanges leave them, which is not where a stable sort would: the screen, the print and the
// hit marks have always shown that order, so it is kept exactly.
//
// The exchanges move positions in a table of entry numbers; the labels follow in one pass at
// the end. The order is the same, without moving a string fourteen thousand times a race.
void OrderByExchange(CString* pLabels, double* pPercents, int nLast)
{
    std::array<int, CKeluDoc::kTrifectaEntries> order{};
    for (int i = 0; i <= nLast; ++i)
        order[static_cast<size_t>(i)] = i;
    for (int p = 1; p <= nLast; ++p) {
        for (int q = 1; q <= nLast; ++q) {
            if (q != p && pPercents[q] < pPercents[p]) {
                std::swap(order[static_cast<size_t>(p)], order[static_cast<size_t>(q)]);
                std::swap(pPercents[p], pPercents[q]);
            }
        }
    }
    std::array<CString, CKeluDoc::kTrifectaEntries> labels;
    for (int i = 1; i <= nLast; ++i)
        labels[static_cast<size_t>(i)] = std::move(pLabels[order[static_cast<size_t>(i)]]);
    for (int i = 1; i <= nLast; ++i)
        pLabels[i] = std::move(labels[static_cast<size_t>(i)]);
}

bool Contains(const std::vector<CString>& combos, const CString& strCombo)
{
    return std::find(combos.begin(), combos.end(), strCombo) != combos.end();
}

// "1-2" and "1-2-3": boats are single digits.
CString Combination(int a, int b)
{
    const char text[] = {static_cast<char>('0' + a), '-', static_cast<char>('0' + b)};
    return CString(text, 3);
}

CString Combination(int a, int b, int c)
{
    const char text[] = {static_cast<char>('0' + a), '-', static_cast<char>('0' + b), '-', static_cast<char>('0' + c)};
    return CString(text, 5);
}

} // namespace

std::optional<double> CKeluDoc::GetMeetScore(int b) const
{
    const CString results = GetMeetResults(b);
    if (results.IsEmpty())
        return 0.0;
    int nCount = 0;
    int nSum = 0;
    // Byte by byte: each slot of the field is one race of the meet.
    for (const char ch : results.Str()) {
        if (ch == ' ')
            continue;
        ++nCount;
        nSum += PlaceScore(ch);
    }
    if (nCount == 0)
        return std::nullopt; // the meet has not started for this racer
    return static_cast<double>(nSum) / nCount;
}

CString CKeluDoc::GetRacerIndex(int b) const
{
    const CString cls = GetClass(b);
    if (cls.IsEmpty())
        return CString();
    const double dWin = AtoF(GetWinRate(b));
    const double dTwo = AtoF(GetTwoRate(b));
    double dIndex = (dWin + 0.1 * dTwo) + ClassBase(cls);
    // A racer running well below his win rate in this meet is rated up by the gap: the meet's
    // bad luck is not expected to last.
    const std::optional<double> score = GetMeetScore(b);
    if (score && dWin - 2 > *score)
        dIndex += dWin - *score - 2;
    return CString::Formatted("%4.2f", dIndex);
}

CString CKeluDoc::GetIndexMark(int b) const
{
    const double v = AtoF(GetRacerIndex(b));
    if (v == 0.0)
        return Mark(0);
    int nBeaten = 0;
    for (int i = kFirstBoat; i <= kLastBoat; ++i) {
        if (i == b)
            continue;
        const double x = AtoF(GetRacerIndex(i));
        // On equal indexes the inner boat ranks higher.
        if (x < v || (x == v && i > b))
            ++nBeaten;
    }
    return Mark(nBeaten);
}

CString CKeluDoc::GetMeetMark(int b) const
{
    const std::optional<double> s = GetMeetScore(b);
    if (!s || *s == 0.0)
        return Mark(0);
    int nBeaten = 0;
    for (int i = kFirstBoat; i <= kLastBoat; ++i) {
        if (i == b)
            continue;
        const std::optional<double> t = GetMeetScore(i);
        if (!t || *t < *s || (*t == *s && i > b))
            ++nBeaten;
    }
    return Mark(nBeaten);
}

CString CKeluDoc::GetIndexText(int b) const
{
    const CString index = GetRacerIndex(b);
    if (index.IsEmpty())
        return CString();
    return CString::Formatted("%s %5s", GetIndexMark(b).GetString(), index.GetString());
}

void CKeluDoc::ComputeExactaPicks()
{
    ClearTable(m_strExactaPick, m_dExactaPercent, kExactaEntries);
    const Indexes x = ReadIndexes(*this);
    std::copy(x.begin(), x.end(), m_dPickIndex);
    const double t = Sum(x);
    int n = 0;
    for (int j = kFirstBoat; j <= kLastBoat; ++j) {
        for (int k = kFirstBoat; k <= kLastBoat; ++k) {
            if (k == j)
                continue;
            ++n;
            const double xj = x[static_cast<size_t>(j)];
            const double xk = x[static_cast<size_t>(k)];
            m_strExactaPick[n] = Combination(j, k);
            m_dExactaPercent[n] = Percentage(100.0 * Share(xj, t) * Share(xk, t - xj));
        }
    }
    OrderByExchange(m_strExactaPick, m_dExactaPercent, kExactaEntries - 1);
}

void CKeluDoc::ComputeTrifectaPicks()
{
    ClearTable(m_strTrifectaPick, m_dTrifectaPercent, kTrifectaEntries);
    const Indexes x = ReadIndexes(*this);
    std::copy(x.begin(), x.end(), m_dPickIndex);
    const double t = Sum(x);
    int n = 0;
    for (int a = kFirstBoat; a <= kLastBoat; ++a) {
        for (int b = kFirstBoat; b <= kLastBoat; ++b) {
            for (int c = kFirstBoat; c <= kLastBoat; ++c) {
                if (a == b || a == c || b == c)
                    continue;
                ++n;
                const double xa = x[static_cast<size_t>(a)];
                const double xb = x[static_cast<size_t>(b)];
                const double xc = x[static_cast<size_t>(c)];
                m_strTrifectaPick[n] = Combination(a, b, c);
                m_dTrifectaPercent[n] =
                    Percentage(100.0 * Share(xa, t) * Share(xb, t - xa) * Share(xc, t - xa - xb));
            }
        }
    }
    OrderByExchange(m_strTrifectaPick, m_dTrifectaPercent, kTrifectaEntries - 1);
}

CString CKeluDoc::GetExactaPick(int k)
{
    // Without boat 1 there is no race to predict; the table is left as it was.
    if (k < 1 || k >= kExactaEntries || GetRacerIndex(1).IsEmpty())
        return CString();
    if (k == 1)
        ComputeExactaPicks();
    return CString::Formatted("%s %5.2f%%", m_strExactaPick[k].GetString(), m_dExactaPercent[k]);
}

CString CKeluDoc::GetTrifectaPick(int k)
{
    if (k < 1 || k >= kTrifectaEntries || GetRacerIndex(1).IsEmpty())
        return CString();
    if (k == 1)
        ComputeTrifectaPicks();
    return CString::Formatted("%s", m_strTrifectaPick[k].GetString());
}

bool CKeluDoc::IsWinningExacta(const CString& strCombo) const
{
    return Contains(GetWinningCombos(EBet::Exacta), strCombo);
}

bool CKeluDoc::IsWinningTrifecta(const CString& strCombo) const
{
    return Contains(GetWinningCombos(EBet::Trifecta), strCombo);
}

// In a dead heat a bet has several winning lines; any of them among the picks is a hit.
bool CKeluDoc::IsExactaHit()
{
    const std::vector<CString> winners = GetWinningCombos(EBet::Exacta);
    if (winners.empty())
        return false;
    for (int i = 1; i <= kExactaShown; ++i) {
        if (Contains(winners, GetExactaPick(i).Left(3)))
            return true;
    }
    return false;
}

bool CKeluDoc::IsTrifectaHit()
{
    const std::vector<CString> winners = GetWinningCombos(EBet::Trifecta);
    if (winners.empty())
        return false;
    for (int i = 1; i <= kTrifectaShown; ++i) {
        if (Contains(winners, GetTrifectaPick(i)))
            return true;
    }
    return false;
}
