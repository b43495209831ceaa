// kelu_demo_day FOLDER [YYYYMMDD]
//
// Writes a demo race day into FOLDER/data: the program files of the day (today by default) and
// of the day before, the results of the whole day before and of the day's first races, as if
// the day were under way. A fresh machine has no day files and may not reach the data server;
// this gives Kelu something to show. Every racer is made up: the surnames say so (架空, 仮名,
// 見本 ...). The figures vary but follow from the date, so the same day always looks the same.

#include "DayFixture.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "platform/Sjis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kTodayResults = 4; // races of the day whose results are already out
constexpr int kPoolSize = 40;    // racers of one venue's meet

const char* const kSurnames[] = {"架空", "仮名", "見本", "模擬", "試走", "想定", "例題", "空想", "仮想", "虚構"};
const char* const kGivenNames[] = {"一郎", "次郎", "三郎", "太郎", "花子", "波子", "海斗", "翔太",
                                   "大輝", "健二", "直樹", "優子", "舞子", "拓海", "陽介", "蒼汰"};
const char* const kBranches[] = {"東京", "群馬", "埼玉", "静岡", "愛知", "三重", "福井", "滋賀", "大阪",
                                 "兵庫", "徳島", "香川", "岡山", "広島", "山口", "福岡", "佐賀", "長崎"};
const char* const kWeather[] = {"晴", "晴", "曇り", "雨"};
const char* const kWind[] = {"北　", "北東", "東　", "南東", "南　", "南西", "西　", "北西"};

class CRandom {
public:
    explicit CRandom(unsigned nSeed) : m_engine(nSeed) {}
    // 0 .. n-1
    int Below(int n) { return static_cast<int>(m_engine() % static_cast<unsigned>(n)); }
    // lo .. hi, in steps of 0.01
    double Between(double lo, double hi) { return lo + (hi - lo) * Below(10001) / 10000.0; }
    bool Chance(int nPercent) { return Below(100) < nPercent; }
    template <class T, size_t N>
    const T& Pick(const T (&a)[N]) { return a[Below(static_cast<int>(N))]; }

private:
    std::mt19937 m_engine;
};

struct CRacer {
    int nRegNo;
    std::string surname, givenName;
    std::string cls, branch;
    int nAge, nWeight;
    double dWin, dTwo, dLocalWin, dLocalTwo;
};

std::string FullWidth(int n, bool bPad)
{
    static const char* const digits[] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    std::string out = bPad && n < 10 ? "　" : "";
    for (char ch : std::to_string(n))
        out += digits[ch - '0'];
    return out;
}

std::vector<CRacer> MakePool(CRandom& rnd, int nVenue)
{
    std::vector<CRacer> pool;
    for (int i = 0; i < kPoolSize; ++i) {
        CRacer r;
        r.nRegNo = 3100 + nVenue * 80 + i * 2 + rnd.Below(2);
        r.surname = rnd.Pick(kSurnames);
        r.givenName = rnd.Pick(kGivenNames);
        r.branch = rnd.Pick(kBranches);
        r.nAge = 20 + rnd.Below(35);
        r.nWeight = 47 + rnd.Below(10);
        const int nClass = rnd.Below(100);
        if (nClass < 15) {
            r.cls = "A1";
            r.dWin = rnd.Between(6.2, 8.2);
        } else if (nClass < 35) {
            r.cls = "A2";
            r.dWin = rnd.Between(5.0, 6.3);
        } else if (nClass < 85) {
            r.cls = "B1";
            r.dWin = rnd.Between(3.5, 5.5);
        } else {
            r.cls = "B2";
            r.dWin = rnd.Between(1.5, 3.8);
        }
        r.dTwo = std::clamp(r.dWin * 7.0 - 10.0 + rnd.Between(-6, 6), 0.0, 80.0);
        r.dLocalWin = std::clamp(r.dWin + rnd.Between(-1.2, 1.2), 0.0, 9.9);
        r.dLocalTwo = std::clamp(r.dLocalWin * 7.0 - 10.0 + rnd.Between(-8, 8), 0.0, 90.0);
        pool.push_back(r);
    }
    return pool;
}

// Finishes of the earlier days of the meet, one group per day: "31 24 6".
std::string MeetResults(CRandom& rnd, int nDaysBefore)
{
    std::string out;
    for (int d = 0; d < nDaysBefore; ++d) {
        if (!out.empty())
            out += ' ';
        for (int n = 1 + rnd.Below(2); n > 0; --n)
            out += static_cast<char>('1' + rnd.Below(6));
    }
    return out.substr(0, 12);
}

// The six racers of each race: nobody twice in one race.
std::vector<std::array<int, 6>> DrawRaces(CRandom& rnd)
{
    std::vector<std::array<int, 6>> races;
    for (int r = 0; r < 12; ++r) {
        std::vector<int> all(kPoolSize);
        for (int i = 0; i < kPoolSize; ++i)
            all[static_cast<size_t>(i)] = i;
        std::array<int, 6> six{};
        for (int b = 0; b < 6; ++b) {
            const int k = rnd.Below(static_cast<int>(all.size()));
            six[static_cast<size_t>(b)] = all[static_cast<size_t>(k)];
            all.erase(all.begin() + k);
        }
        races.push_back(six);
    }
    return races;
}

const char* RaceTitle(int nRace)
{
    if (nRace <= 8)
        return "予選";
    if (nRace <= 10)
        return "一般";
    return nRace == 11 ? "特選" : "選抜戦";
}

// The strength of each boat: its racer's win rate, and the advantage of the inner courses.
std::array<double, 6> Strengths(const std::vector<CRacer>& pool, const std::array<int, 6>& six)
{
    static const double kCourse[6] = {3.0, 1.6, 1.3, 1.1, 0.9, 0.7};
    std::array<double, 6> w{};
    for (size_t b = 0; b < 6; ++b) {
        const double dWin = pool[static_cast<size_t>(six[b])].dWin;
        w[b] = dWin * dWin * kCourse[b];
    }
    return w;
}

struct COdds {
    std::array<std::array<std::array<double, 6>, 6>, 6> p{}; // p[a][b][c]: a first, b second, c third

    double Win(int x) const
    {
        double d = 0;
        for (int y = 0; y < 6; ++y)
            for (int z = 0; z < 6; ++z)
                d += p[x][y][z];
        return d;
    }
    double Exacta(int x, int y) const
    {
        double d = 0;
        for (int z = 0; z < 6; ++z)
            d += p[x][y][z];
        return d;
    }
    double Quinella(int x, int y) const { return Exacta(x, y) + Exacta(y, x); }
    double Trio(int x, int y, int z) const
    {
        return p[x][y][z] + p[x][z][y] + p[y][x][z] + p[y][z][x] + p[z][x][y] + p[z][y][x];
    }
    // Both boats among the first three, in any places.
    double Wide(int x, int y) const
    {
        double d = 0;
        for (int z = 0; z < 6; ++z)
            if (z != x && z != y)
                d += Trio(x, y, z);
        return d;
    }
};

COdds Probabilities(const std::array<double, 6>& w)
{
    COdds odds;
    double dTotal = 0;
    for (double d : w)
        dTotal += d;
    for (int a = 0; a < 6; ++a)
        for (int b = 0; b < 6; ++b)
            for (int c = 0; c < 6; ++c) {
                if (a == b || b == c || a == c)
                    continue;
                const double dA = w[a] / dTotal;
                const double dB = w[b] / (dTotal - w[a]);
                const double dC = w[c] / (dTotal - w[a] - w[b]);
                odds.p[a][b][c] = dA * dB * dC;
            }
    return odds;
}

// A payout for a bet of the probability: 75% returned, in tens of yen, at least 100.
std::string Pay(double dProbability)
{
    const int nYen = static_cast<int>(std::lround(75.0 / std::max(dProbability, 1e-4) / 10.0)) * 10;
    return std::to_string(std::max(nYen, 100));
}

// The popularity of one combination among all of its kind: 1 for the likeliest.
std::string Popularity(double dProbability, const std::vector<double>& all)
{
    int nRank = 1;
    for (double d : all)
        if (d > dProbability + 1e-12)
            ++nRank;
    return std::to_string(nRank);
}

std::string Pair(int a, int b)
{
    return std::to_string(a + 1) + "-" + std::to_string(b + 1);
}

// The finishing order, drawn by strength.
std::array<int, 6> DrawOrder(CRandom& rnd, const std::array<double, 6>& w)
{
    std::array<int, 6> order{};
    std::vector<int> left{0, 1, 2, 3, 4, 5};
    for (size_t place = 0; place < 6; ++place) {
        double dSum = 0;
        for (int b : left)
            dSum += w[static_cast<size_t>(b)];
        double dDraw = rnd.Between(0, dSum);
        size_t k = 0;
        while (k + 1 < left.size() && dDraw > w[static_cast<size_t>(left[k])]) {
            dDraw -= w[static_cast<size_t>(left[k])];
            ++k;
        }
        order[place] = left[k];
        left.erase(left.begin() + static_cast<long>(k));
    }
    return order;
}

// The six finishing lines in the order, with start timings and race times a little apart.
void AddFinishes(CRandom& rnd, const std::array<int, 6>& order, const std::vector<CRacer>& pool,
                 const std::array<int, 6>& six, fixture::ResultRace& r)
{
    int nTenths = 1060 + rnd.Below(60); // 1.46.0 .. 1.51.9
    for (size_t place = 0; place < 6; ++place) {
        const int boat = order[place];
        const CRacer& racer = pool[static_cast<size_t>(six[static_cast<size_t>(boat)])];
        fixture::Finish f;
        f.place = "0" + std::to_string(place + 1);
        f.boat = boat + 1;
        f.regNo = std::to_string(racer.nRegNo);
        f.surname = racer.surname.substr(0, 3) + "　" + racer.surname.substr(3);
        f.givenName = racer.givenName.substr(0, 3) + "　" + racer.givenName.substr(3);
        f.course = std::to_string(boat + 1);
        char buf[16];
        std::snprintf(buf, sizeof buf, "0.%02d", 5 + rnd.Below(26));
        f.start = buf;
        std::snprintf(buf, sizeof buf, "%d.%02d.%d", nTenths / 600, nTenths / 10 % 60, nTenths % 10);
        f.time = buf;
        nTenths += 5 + rnd.Below(25);
        r.finishes.push_back(f);
    }
}

// Every combination's chance of each bet, for the popularities.
struct CAllChances {
    std::vector<double> exacta, quinella, wide, trifecta, trio;

    explicit CAllChances(const COdds& odds)
    {
        for (int x = 0; x < 6; ++x)
            for (int y = 0; y < 6; ++y) {
                if (x == y)
                    continue;
                exacta.push_back(odds.Exacta(x, y));
                if (x < y) {
                    quinella.push_back(odds.Quinella(x, y));
                    wide.push_back(odds.Wide(x, y));
                }
                for (int z = 0; z < 6; ++z)
                    if (z != x && z != y) {
                        trifecta.push_back(odds.p[x][y][z]);
                        if (x < y && y < z)
                            trio.push_back(odds.Trio(x, y, z));
                    }
            }
    }
};

// Payouts follow from the same strengths as the order, so favourites pay little.
void AddPayouts(const COdds& odds, int a, int b, int c, fixture::ResultRace& r)
{
    const CAllChances all(odds);
    r.winBoat = std::to_string(a + 1);
    r.winPay = Pay(odds.Win(a));
    r.placeBoat1 = std::to_string(a + 1);
    r.placePay1 = Pay(std::min(1.0, 2.2 * odds.Win(a)));
    r.placeBoat2 = std::to_string(b + 1);
    r.placePay2 = Pay(std::min(1.0, 2.2 * odds.Win(b)));
    r.exacta = {Pair(a, b), Pay(odds.Exacta(a, b)), Popularity(odds.Exacta(a, b), all.exacta)};
    const double dQuinella = odds.Quinella(a, b);
    r.quinella = {Pair(std::min(a, b), std::max(a, b)), Pay(dQuinella), Popularity(dQuinella, all.quinella)};
    const std::array<std::pair<int, int>, 3> widePairs{{{a, b}, {a, c}, {b, c}}};
    fixture::Combo* wides[] = {&r.wide1, &r.wide2, &r.wide3};
    for (size_t i = 0; i < 3; ++i) {
        const auto [x, y] = widePairs[i];
        const double d = odds.Wide(x, y);
        *wides[i] = {Pair(std::min(x, y), std::max(x, y)), Pay(d), Popularity(d, all.wide)};
    }
    r.trifecta = {Pair(a, b) + "-" + std::to_string(c + 1), Pay(odds.p[a][b][c]),
                  Popularity(odds.p[a][b][c], all.trifecta)};
    std::array<int, 3> sorted{a, b, c};
    std::sort(sorted.begin(), sorted.end());
    const double dTrio = odds.Trio(a, b, c);
    r.trio = {Pair(sorted[0], sorted[1]) + "-" + std::to_string(sorted[2] + 1), Pay(dTrio), Popularity(dTrio, all.trio)};
}

fixture::ResultRace MakeResult(CRandom& rnd, int nRace, const std::vector<CRacer>& pool, const std::array<int, 6>& six)
{
    const std::array<double, 6> w = Strengths(pool, six);
    const std::array<int, 6> order = DrawOrder(rnd, w);
    const int a = order[0];

    fixture::ResultRace r;
    r.race = nRace;
    r.weather = rnd.Pick(kWeather);
    r.windDirection = rnd.Pick(kWind);
    r.windSpeed = std::to_string(rnd.Below(8));
    r.waveHeight = std::to_string(rnd.Below(11));
    static const char* const kMoves[] = {"逃げ", "差し", "まくり", "まくり差し", "抜き"};
    r.move = a == 0 ? kMoves[0] : a == 1 ? kMoves[1 + rnd.Below(2)] : kMoves[2 + rnd.Below(3)];
    AddFinishes(rnd, order, pool, six, r);
    AddPayouts(Probabilities(w), a, order[1], order[2], r);
    return r;
}

struct CVenueDay {
    int nVenue;
    std::vector<CRacer> pool;
    std::vector<std::array<int, 6>> races;
};

fixture::ProgramVenue MakeProgram(CRandom& rnd, const CVenueDay& v, int nMeetDay)
{
    fixture::ProgramVenue pv;
    pv.venue = v.nVenue;
    for (int r = 1; r <= 12; ++r) {
        fixture::ProgramRace race;
        race.race = r;
        race.title = RaceTitle(r);
        const std::array<int, 6>& six = v.races[static_cast<size_t>(r - 1)];
        for (int b = 0; b < 6; ++b) {
            const CRacer& racer = v.pool[static_cast<size_t>(six[static_cast<size_t>(b)])];
            fixture::Boat boat;
            boat.boat = b + 1;
            boat.regNo = std::to_string(racer.nRegNo);
            boat.name = racer.surname + racer.givenName;
            boat.age = std::to_string(racer.nAge);
            boat.branch = racer.branch;
            boat.weight = std::to_string(racer.nWeight);
            boat.cls = racer.cls;
            boat.winRate = FixedDecimals(racer.dWin, 2);
            boat.twoRate = FixedDecimals(racer.dTwo, 2);
            boat.localWin = FixedDecimals(racer.dLocalWin, 2);
            boat.localTwo = FixedDecimals(racer.dLocalTwo, 2);
            boat.motorNo = std::to_string(10 + rnd.Below(70));
            boat.motorRate = FixedDecimals(rnd.Between(22, 52), 2);
            boat.hullNo = std::to_string(10 + rnd.Below(70));
            boat.boatRate = FixedDecimals(rnd.Between(22, 50), 2);
            boat.meet = MeetResults(rnd, nMeetDay - 1);
            boat.early = rnd.Chance(70) ? std::to_string(1 + rnd.Below(12)) : "";
            race.boats.push_back(boat);
        }
        pv.races.push_back(race);
    }
    return pv;
}

// The published header names the day's meet and date; the fixture's lines carry placeholders.
std::string DatedHeaders(const std::string& file, const CTime& day, int nMeetDay)
{
    CString s(file);
    s.Replace(Sjis("試験杯").GetString(), Sjis("デモ杯").GetString());
    s.Replace(Sjis("試験［成績］").GetString(), Sjis("デモ［成績］").GetString());
    s.Replace(Sjis("第　４日").GetString(), Sjis("第" + FullWidth(nMeetDay, true) + "日").GetString());
    const std::string date = FullWidth(day.GetYear(), false) + "年" + FullWidth(day.GetMonth(), true) + "月" +
                             FullWidth(day.GetDay(), true) + "日";
    s.Replace(Sjis("２０２０年　１月　１日").GetString(), Sjis(date).GetString());
    return s.Str();
}

// Kelu tells a demo day from a real one by the mark right after the file's first line, "STARTB":
// the prediction record leaves such a day out. The reader passes over it as over any line
// outside a venue block.
std::string MarkedAsDemo(const std::string& file)
{
    const size_t nFirstEnd = file.find('\n');
    if (nFirstEnd == std::string::npos)
        return file;
    return file.substr(0, nFirstEnd + 1) + kDemoDayMark + "\r\n" + file.substr(nFirstEnd + 1);
}

void WriteDay(const CTime& day, unsigned nPoolSeed, const std::vector<int>& venues, int nMeetDay, int nResults)
{
    CRandom rnd(static_cast<unsigned>(day.GetYear() * 10000 + day.GetMonth() * 100 + day.GetDay()));
    std::vector<fixture::ProgramVenue> programs;
    std::vector<fixture::ResultVenue> results;
    for (int nVenue : venues) {
        CRandom poolRnd(nPoolSeed * 100 + static_cast<unsigned>(nVenue));
        CVenueDay v{nVenue, MakePool(poolRnd, nVenue), DrawRaces(rnd)};
        programs.push_back(MakeProgram(rnd, v, nMeetDay));
        fixture::ResultVenue rv;
        rv.venue = nVenue;
        for (int r = 1; r <= nResults; ++r)
            rv.races.push_back(MakeResult(rnd, r, v.pool, v.races[static_cast<size_t>(r - 1)]));
        results.push_back(rv);
    }
    fixture::WriteProgramFile(day, MarkedAsDemo(DatedHeaders(fixture::ProgramFile(programs), day, nMeetDay)));
    std::printf("  %s\n", CKeluDoc::ProgramFileName(day).GetString());
    if (nResults > 0) {
        fixture::WriteResultFile(day, DatedHeaders(fixture::ResultFile(results), day, nMeetDay));
        std::printf("  %s (races 1-%d)\n", CKeluDoc::ResultFileName(day).GetString(), nResults);
    }
}

bool ParseDate(const char* psz, CTime& day)
{
    int y = 0, m = 0, d = 0;
    if (std::sscanf(psz, "%4d%2d%2d", &y, &m, &d) != 3 || m < 1 || m > 12 || d < 1 || d > 31)
        return false;
    day = CTime(y, m, d, 12, 0, 0);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: kelu_demo_day FOLDER [YYYYMMDD]\n");
        return 2;
    }
    const CTime now = CTime::GetCurrentTime();
    CTime day(now.GetYear(), now.GetMonth(), now.GetDay(), 12, 0, 0);
    if (argc == 3 && !ParseDate(argv[2], day)) {
        std::fprintf(stderr, "kelu_demo_day: not a date: %s\n", argv[2]);
        return 2;
    }
    if (chdir(argv[1]) != 0) {
        std::perror(argv[1]);
        return 1;
    }

    // The same venues on both days, as a meet runs over several days; the racers of a venue
    // are the same on both days too.
    const unsigned nSeed = static_cast<unsigned>(day.GetYear() * 10000 + day.GetMonth() * 100 + day.GetDay());
    CRandom rnd(nSeed);
    std::vector<int> venues;
    for (int v = 24; v >= 1; --v)
        if (rnd.Chance(55))
            venues.push_back(v);
    if (venues.empty())
        venues.push_back(1 + rnd.Below(24));
    const int nMeetDay = 2 + rnd.Below(4);

    try {
        WriteDay(day.AddDays(-1), nSeed, venues, nMeetDay - 1, 12);
        WriteDay(day, nSeed, venues, nMeetDay, kTodayResults);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelu_demo_day: %s\n", e.what());
        return 1;
    }
    return 0;
}
