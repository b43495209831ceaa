#include "PublishedDays.h"

#include "TestDir.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <algorithm>
#include <memory>

#include <fstream>
#include <iterator>
#include <tuple>

namespace published {

namespace {

std::vector<std::string> Lines(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    size_t nStart = 0;
    for (size_t nEnd; (nEnd = bytes.find("\r\n", nStart)) != std::string::npos; nStart = nEnd + 2)
        lines.push_back(bytes.substr(nStart, nEnd - nStart));
    return lines;
}

// The venue of a block's start line "24KBGN", or 0.
int BlockVenue(const std::string& line, char chKind)
{
    if (line.size() != 6 || line.substr(2) != std::string(1, chKind) + "BGN")
        return 0;
    return std::stoi(line.substr(0, 2));
}

int Number(const std::string& s)
{
    const size_t n = s.find_first_of("0123456789");
    return n == std::string::npos ? 0 : std::stoi(s.substr(n));
}

void ReadPrograms(const std::vector<std::string>& lines, int nDate, CRaces& races)
{
    const std::string kRace = Utf8ToSjis("Ｒ");
    int nVenue = 0, nRace = 0;
    for (const std::string& line : lines) {
        if (const int v = BlockVenue(line, 'B')) {
            nVenue = v;
            nRace = 0;
        } else if (line.size() > 6 && line.compare(4, 2, kRace) == 0) {
            ++nRace;
        } else if (nRace > 0 && line.size() > 6 && line[0] >= '1' && line[0] <= '6' && line[1] == ' ') {
            CRace& race = races[{nDate, nVenue, nRace}];
            race.boats.emplace_back(line[0] - '0', std::stoi(line.substr(2, 4)));
            race.programs.push_back(line);
        }
    }
}

bool IsBetLabel(const std::string& label)
{
    for (const char* psz : {"単勝", "複勝", "２連単", "２連複", "拡連複", "３連単", "３連複"})
        if (label == Utf8ToSjis(psz))
            return true;
    return false;
}

CPayout Payout(const std::string& line)
{
    return {Field(line, 17, 5), Number(Field(line, 24, 7)), Number(Field(line, 40, 3))};
}

void ReadResults(const std::vector<std::string>& lines, int nDate, CRaces& races)
{
    const std::string kExacta = Utf8ToSjis("２連単"), kTrifecta = Utf8ToSjis("３連単");
    const std::string kVoid = Utf8ToSjis("不成立");
    int nVenue = 0;
    CRace* pRace = nullptr;
    std::vector<CPayout>* pBet = nullptr; // the bet whose lines go on
    std::string strLabel;                 // the label of the payout lines going on, if any
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (const int v = BlockVenue(line, 'K')) {
            nVenue = v;
            pRace = nullptr;
            continue;
        }
        if (line.size() > 40 && line[4] == 'R' && Number(line.substr(0, 4)) > 0) {
            pRace = &races[{nDate, nVenue, Number(line.substr(0, 4))}];
            continue;
        }
        if (!pRace)
            continue;
        if (line.compare(0, 7, "-------") == 0) {
            pRace->finishes.assign(lines.begin() + static_cast<long>(i) + 1, lines.begin() + static_cast<long>(i) + 7);
            i += 6;
            continue;
        }
        const std::string label = Field(line, 8, 6);
        // A payout line has its bet's label, or nothing but what it says from byte 17 on.
        const bool bGoesOn = label.empty() && line.size() > 17 && line[17] != ' ' && Field(line, 0, 17).empty();
        if (IsBetLabel(label))
            strLabel = label;
        else if (!bGoesOn)
            strLabel.clear();
        if (!strLabel.empty())
            pRace->payoutLines.emplace_back(strLabel, line);
        if (label == kExacta || label == kTrifecta) {
            pBet = label == kExacta ? &pRace->exacta : &pRace->trifecta;
            if (line.find(kVoid) != std::string::npos) {
                pRace->bExactaVoid = pRace->bExactaVoid || label == kExacta;
                pBet = nullptr;
                continue;
            }
            pBet->push_back(Payout(line));
        } else if (pBet && bGoesOn) {
            pBet->push_back(Payout(line));
        } else {
            pBet = nullptr;
        }
    }
}

} // namespace

std::string Field(const std::string& line, size_t nPos, size_t nLength)
{
    if (nPos >= line.size())
        return {};
    std::string s = line.substr(nPos, nLength);
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

bool CopyDays()
{
    for (const auto& [tag, nDate] : kDays)
        if (!testsupport::CopySharedDayFile(std::string("B") + tag + ".TXT", std::string("data/prog/B") + tag + ".TXT") ||
            !testsupport::CopySharedDayFile(std::string("K") + tag + ".TXT", std::string("data/res/K") + tag + ".TXT"))
            return false;
    return true;
}

CRaces ReadDays()
{
    CRaces races;
    for (const auto& [tag, nDate] : kDays)
        ReadDay(testsupport::SharedDataDir(), tag, nDate, races);
    return races;
}

void ReadDay(const std::string& strFolder, const std::string& strTag, int nDate, CRaces& races)
{
    ReadFiles(strFolder + "/B" + strTag + ".TXT", strFolder + "/K" + strTag + ".TXT", nDate, races);
}

void ReadFiles(const std::string& strProgram, const std::string& strResult, int nDate, CRaces& races)
{
    ReadPrograms(Lines(strProgram), nDate, races);
    ReadResults(Lines(strResult), nDate, races);
}

CRecordCounted CountRecord(const CRaces& races)
{
    CRecordCounted counted;
    auto doc = std::make_unique<CKeluDoc>();
    int nLoaded = 0;
    for (const auto& [key, race] : races) {
        const auto [nDate, nVenue, nRace] = key;
        if (race.exacta.empty())
            continue;
        if (nLoaded != nDate) {
            if (!doc->LoadDay(CTime(nDate / 10000, nDate / 100 % 100, nDate % 100, 12, 0, 0)))
                return {};
            nLoaded = nDate;
        }
        doc->SetSelection(nVenue, nRace);
        std::vector<std::string> exacta, trifecta;
        for (int k = 1; k <= 6; ++k)
            exacta.push_back(doc->GetExactaPick(k).Left(3).Str());
        for (int k = 1; k <= 12; ++k)
            trifecta.push_back(doc->GetTrifectaPick(k).Str());
        SRecordCount c;
        c.nRaces = 1;
        const auto Tally = [](const std::vector<CPayout>& lines, const std::vector<std::string>& picks,
                              int& nHits, long long& nReturn, int& nCrowdHits, long long& nCrowdReturn) {
            for (const CPayout& line : lines) {
                if (std::find(picks.begin(), picks.end(), line.combo) != picks.end()) {
                    nHits = 1;
                    nReturn += line.nPay;
                }
                if (line.nPopularity >= 1 && line.nPopularity <= static_cast<int>(picks.size())) {
                    nCrowdHits = 1;
                    nCrowdReturn += line.nPay;
                }
            }
        };
        Tally(race.exacta, exacta, c.nExactaHits, c.nExactaReturn, c.nCrowdExactaHits, c.nCrowdExactaReturn);
        Tally(race.trifecta, trifecta, c.nTrifectaHits, c.nTrifectaReturn, c.nCrowdTrifectaHits,
              c.nCrowdTrifectaReturn);
        counted.byVenue[nVenue].Add(c);
        counted.total.Add(c);
    }
    return counted;
}

} // namespace published
