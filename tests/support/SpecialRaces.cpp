// Result sections as the published files lay them out, taken from real days: two dead heats,
// a race declared void, and the payout summary's lines of cancelled races. The texts are the
// published ones, byte for byte once converted back to Shift-JIS.
#include "SpecialRaces.h"

namespace fixture {

// 2020-02-20, race 9: second place shared, so 2連単, 2連複 and 3連単 have two lines each.
const std::vector<std::string> kSharedSecond = {
    "   9R       特　　賞　　                 H1800m  晴　  風  北　　 3m  波　  3cm",
    "  着 艇 登番 　選　手　名　　ﾓｰﾀｰ ﾎﾞｰﾄ 展示 進入 ｽﾀｰﾄﾀｲﾐﾝｸ ﾚｰｽﾀｲﾑ まくり　　",
    "-------------------------------------------------------------------------------",
    "  01  2 3940 飯　山　　　　泰 52   34  6.61   2    0.09     1.47.7",
    "  02  3 4511 中　岡　　健　人 18   41  6.75   3    0.07     1.49.2",
    "  02  6 4798 浜　先　　真　範  5   17  6.71   6    0.14     1.49.2",
    "  04  5 3164 森　脇　　　　徹 27   32  6.73   5    0.08     1.51.5",
    "  05  1 4420 津久井　　拓　也 58   56  6.76   1    0.14      .  . ",
    "  06  4 4388 是　澤　　孝　宏  6   15  6.74   4    0.09      .  . ",
    "",
    "        単勝     2          140  ",
    "        複勝     2          110  3          270  6          240  ",
    "        ２連単   2-3       1020  人気     7 ",
    "                 2-6        770  人気     6 ",
    "        ２連複   2-3        640  人気     4 ",
    "                 2-6        640  人気     4 ",
    "        拡連複   2-3        300  人気     5 ",
    "                 2-6        270  人気     4 ",
    "                 3-6       1710  人気    13 ",
    "        ３連単   2-3-6     2690  人気    20 ",
    "                 2-6-3     3810  人気    24 ",
    "        ３連複   2-3-6     3240  人気    10 ",
};

// 2020-01-20, race 2: third place shared, so 3連単 and 3連複 have two lines each.
const std::vector<std::string> kSharedThird = {
    "   2R       予　　選　　                 H1800m  晴　  風  北東　 2m  波　  2cm",
    "  着 艇 登番 　選　手　名　　ﾓｰﾀｰ ﾎﾞｰﾄ 展示 進入 ｽﾀｰﾄﾀｲﾐﾝｸ ﾚｰｽﾀｲﾑ 逃げ　　　",
    "-------------------------------------------------------------------------------",
    "  01  1 4821 妻　鳥　　晋　也 44  169  6.72   1    0.20     1.50.1",
    "  02  2 2903 山　崎　　　　毅 12  170  6.83   2    0.18     1.51.4",
    "  03  3 3702 貞　兼　　淳　二 37  148  6.77   4    0.22     1.52.8",
    "  03  5 3459 中　野　　和　裕 14  122  6.77   6    0.17     1.52.8",
    "  05  6 3290 倉　谷　　和　信 52  163  6.80   3    0.16      .  . ",
    "  06  4 4902 山　川　　雄　大 70  139  6.74   5    0.22      .  . ",
    "",
    "        単勝     1          210  ",
    "        複勝     1          100  2          180  ",
    "        ２連単   1-2        620  人気     2 ",
    "        ２連複   1-2        420  人気     2 ",
    "        拡連複   1-2        140  人気     3 ",
    "                 1-3        140  人気     2 ",
    "                 1-5        300  人気     9 ",
    "                 2-3        340  人気    10 ",
    "                 2-5        250  人気     7 ",
    "        ３連単   1-2-3     1020  人気     5 ",
    "                 1-2-5     1880  人気    11 ",
    "        ３連複   1-2-3      300  人気     3 ",
    "                 1-2-5      990  人気    10 ",
};

// 2020-02-22, race 3: five boats flew; its summary line first, then the race section.
const std::vector<std::string> kVoidRace = {
    "           3R  不成立           不成立           不成立         不成立     ",
    "   3R       予選　　　　                 H1800m  曇り  風  南東　10m  波　 10cm",
    "  着 艇 登番 　選　手　名　　ﾓｰﾀｰ ﾎﾞｰﾄ 展示 進入 ｽﾀｰﾄﾀｲﾐﾝｸ ﾚｰｽﾀｲﾑ 　　　　　",
    "-------------------------------------------------------------------------------",
    "  F   1 4406 幸　野　　史　明 75   20  6.90   1   F0.03      .  . ",
    "  F   2 3701 大　西　　隆　洋 49   71  6.94   2   F0.01      .  . ",
    "  F   3 3681 山　谷　　　　央 56   72  7.02   3   F0.03      .  . ",
    "  F   4 4638 小　林　　遼　太 18   15  6.87   4   F0.01      .  . ",
    "  F   5 3505 山　田　　竜　一 33   41  6.85   5   F0.02      .  . ",
    "  00  6 3781 秋　元　　　　誠 39   51  6.86   6    0.12      .  . ",
    "",
    "  レース不成立",
};

// 2020-01-08: the payout summary's lines of two cancelled races.
const std::vector<std::string> kCancelledSummary = {
    "           1R  中　止",
    "           2R  中　止",
};

} // namespace fixture

#include "DayFixture.h"

#include <cstdio>

namespace fixture {

namespace {

// The published race line with the race number of this day.
std::string Renumbered(const std::string& utf8Line, int nRace)
{
    char number[8];
    std::snprintf(number, sizeof number, "%4d", nRace);
    return number + utf8Line.substr(4);
}

std::vector<std::string> Section(const std::vector<std::string>& utf8, int nRace)
{
    std::vector<std::string> lines;
    for (size_t i = 0; i < utf8.size(); ++i)
        lines.push_back(Line(i == 0 ? Renumbered(utf8[i], nRace) : utf8[i]));
    return lines;
}

// A dead heat for first, made from the shared second by giving boats 2 and 3 first place.
std::vector<std::string> SharedFirst()
{
    std::vector<std::string> lines(kSharedSecond.begin(), kSharedSecond.begin() + 10);
    lines[3].replace(2, 2, "01");
    lines[4].replace(2, 2, "01");
    lines[5].replace(2, 2, "03");
    const char* const payouts[] = {
        "        単勝     2          140  ",
        "                 3          180  ",
        "        複勝     2          110  3          120  ",
        "        ２連単   2-3        520  人気     2 ",
        "                 3-2        610  人気     3 ",
        "        ２連複   2-3        300  人気     1 ",
        "        拡連複   2-3        150  人気     1 ",
        "                 2-6        270  人気     4 ",
        "                 3-6        310  人気     5 ",
        "        ３連単   2-3-6     1690  人気     6 ",
        "                 3-2-6     1810  人気     8 ",
        "        ３連複   2-3-6      640  人気     2 ",
    };
    lines.insert(lines.end(), std::begin(payouts), std::end(payouts));
    return lines;
}

// 2020-01-05 at 常滑, race 11: the bets that four flying boats left without a second or third.
std::vector<std::string> VoidBets()
{
    std::vector<std::string> lines(kSharedSecond.begin(), kSharedSecond.begin() + 10);
    const char* const published[] = {
        "  01  6 3795 金　子　　龍　介  2   39  6.67   5    0.03     1.49.8",
        "  02  5 4066 東　本　　勝　利 12   72  6.71   6    0.21     1.53.2",
        "  F   1 4025 山　本　　隆　幸 15   62  6.60   1   F0.01      .  . ",
        "  F   2 4176 樋　口　　喜　彦 20   32  6.67   2   F0.02      .  . ",
        "  F   3 3507 藤　井　　　　徹 58   63  6.66   3   F0.01      .  . ",
        "  F   4 3769 佐　竹　　恒　彦 24   49  6.69   4   F0.01      .  . ",
        "",
        "        単勝     6          180  ",
        "        複勝     不成立",
        "        ２連単   6-5        170  人気     2 ",
        "        ２連複   不成立",
        "        拡連複   不成立",
        "",
        "",
        "        ３連単   不成立",
        "        ３連複   不成立",
    };
    lines.resize(3);
    lines.insert(lines.end(), std::begin(published), std::end(published));
    return lines;
}

std::string SummaryLine(int nRace, const std::string& utf8Text)
{
    char head[16];
    std::snprintf(head, sizeof head, "%12dR  ", nRace);
    return Line(head + utf8Text);
}

// Boats 2 and 6 rate best, boat 3 worst: 2-6 is a first pick, 2-3 is not. In the race of the
// shared third, boats 1, 2 and 5 rate best: 1-2-5 is the first trifecta pick, 1-2-3 far down.
// In the race of the shared first, boats 2 and 3 rate best: both 2-3 and 3-2 are picks.
std::vector<Boat> RatedBoats(int nRace)
{
    struct SRate {
        const char* cls;
        const char* winRate;
    };
    static const SRate kUsual[6] = {{"B1", "5.00"}, {"A1", "8.50"}, {"B2", "1.00"},
                                    {"B1", "5.00"}, {"A1", "7.00"}, {"A1", "7.50"}};
    static const SRate kThird[6] = {{"A1", "9.00"}, {"A1", "8.00"}, {"B2", "1.00"},
                                    {"B1", "4.00"}, {"A1", "7.00"}, {"B1", "4.00"}};
    static const SRate kFirst[6] = {{"B1", "5.00"}, {"A1", "9.00"}, {"A1", "8.50"},
                                    {"B1", "4.00"}, {"B1", "4.00"}, {"B1", "4.00"}};
    const SRate* rates = nRace == kRaceSharedThird ? kThird : nRace == kRaceSharedFirst ? kFirst : kUsual;
    std::vector<Boat> boats = StandardBoats(nRace);
    for (int i = 0; i < 6; ++i) {
        boats[i].cls = rates[i].cls;
        boats[i].winRate = rates[i].winRate;
    }
    return boats;
}

} // namespace

void WriteSpecialDay(const CTime& day, int nVenue)
{
    ProgramVenue program{.venue = nVenue};
    for (int r = 1; r <= kSpecialRaces; ++r)
        program.races.push_back({.race = r, .boats = RatedBoats(r)});
    WriteProgramFile(day, ProgramFile({program}));

    // The preamble: the payout summary has a line a race from its eleventh line on.
    std::vector<std::string> preamble(26);
    preamble[0] = Line("試験［成績］");
    preamble[10] = Line("   [払戻金]       ３連単           ３連複           ２連単         ２連複");
    for (int r = 1; r <= kSpecialRaces; ++r)
        preamble[10 + r] = SummaryLine(r, "1-2-3    1000    1-2-3     500    1-2     300    1-2     200");
    preamble[10 + kRaceVoid] = Line(kVoidRace[0]);
    preamble[10 + kRaceCancelled] = SummaryLine(kRaceCancelled, kCancelledSummary[0].substr(15));
    preamble[10 + kRaceCancelled + 1] = SummaryLine(kRaceCancelled + 1, kCancelledSummary[1].substr(15));

    std::vector<std::string> body = preamble;
    for (const auto& section : {Section(kSharedSecond, kRaceSharedSecond), Section(kSharedThird, kRaceSharedThird),
                                Section({kVoidRace.begin() + 1, kVoidRace.end()}, kRaceVoid),
                                Section(SharedFirst(), kRaceSharedFirst), Section(VoidBets(), kRaceVoidBets)}) {
        body.insert(body.end(), section.begin(), section.end());
        body.push_back("");
    }
    char code[4];
    std::snprintf(code, sizeof code, "%02d", nVenue);
    std::vector<std::string> lines{"STARTK", std::string(code) + "KBGN"};
    lines.insert(lines.end(), body.begin(), body.end());
    lines.push_back(std::string(code) + "KEND");
    lines.push_back("FINALK");
    WriteResultFile(day, JoinCrLf(lines));
}

} // namespace fixture
