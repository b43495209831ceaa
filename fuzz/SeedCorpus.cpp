// kelu_fuzz_seeds OUTDIR
//
// Writes a seed corpus for every fuzz target into OUTDIR/<target>/, and dictionaries of the
// words the readers look for into OUTDIR/<target>.dict. The seeds are the real published days
// cut into one venue each (a whole day is larger than the fuzzers' inputs), the fixture days of
// the tests, the shipped print templates, and small lists and settings files in the shapes the
// program meets. Any missing source is passed over.

#include "FuzzSupport.h"
#include "forecast/ModelFile.h"

#include "DayFixture.h"
#include "SpecialRaces.h"
#include "favorites/FavoriteList.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <cstdio>
#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr size_t kMaxDaySeed = 64 * 1024;

std::string g_strOut;
int g_nSeeds = 0;

void Seed(const std::string& strTarget, const std::string& strName, const std::string& bytes)
{
    mkdir((g_strOut + "/" + strTarget).c_str(), 0755);
    fuzz::WriteFile((g_strOut + "/" + strTarget + "/" + strName).c_str(), bytes);
    ++g_nSeeds;
}

// A dictionary line: the bytes in double quotes, everything outside printable ASCII escaped.
std::string DictEntry(const std::string& bytes)
{
    std::string s = "\"";
    for (unsigned char ch : bytes) {
        if (ch >= 0x20 && ch < 0x7F && ch != '"' && ch != '\\') {
            s += static_cast<char>(ch);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", ch);
            s += buf;
        }
    }
    return s + "\"\n";
}

// Words are UTF-8 here and Shift-JIS in the dictionary.
void Dictionary(const std::string& strTarget, const std::vector<std::string>& words)
{
    std::string s;
    for (const std::string& w : words)
        s += DictEntry(Sjis(w).Str());
    fuzz::WriteFile((g_strOut + "/" + strTarget + ".dict").c_str(), s);
}

// The venue blocks of a day file, by venue code, each with its markers.
std::map<std::string, std::string> VenueBlocks(const std::string& file)
{
    std::map<std::string, std::string> blocks;
    std::string strCode;
    std::string block;
    size_t nStart = 0;
    while (nStart < file.size()) {
        size_t nEnd = file.find('\n', nStart);
        nEnd = nEnd == std::string::npos ? file.size() : nEnd + 1;
        const std::string line = file.substr(nStart, nEnd - nStart);
        nStart = nEnd;
        const bool bMarker = line.size() >= 6;
        if (bMarker && line.compare(3, 3, "BGN") == 0) {
            strCode = line.substr(0, 2);
            block.clear();
        }
        if (!strCode.empty())
            block += line;
        if (bMarker && line.compare(3, 3, "END") == 0 && !strCode.empty()) {
            blocks[strCode] = block;
            strCode.clear();
        }
    }
    return blocks;
}

void RealDaySeeds()
{
    const std::string strShared = KELU_SHARED_DATA_DIR;
    for (const char* pszDay : {"200101", "200105", "200106", "200108"}) {
        std::string program;
        std::string result;
        if (!fuzz::ReadFile((strShared + "/B" + pszDay + ".TXT").c_str(), program) ||
            !fuzz::ReadFile((strShared + "/K" + pszDay + ".TXT").c_str(), result))
            continue;
        const auto programs = VenueBlocks(program);
        const auto results = VenueBlocks(result);
        for (const auto& [strCode, strBlock] : programs) {
            const auto it = results.find(strCode);
            const std::string seed = fuzz::JoinDay("STARTB\r\n" + strBlock + "FINALB\r\n",
                                                   "STARTK\r\n" + (it == results.end() ? "" : it->second) + "FINALK\r\n");
            if (seed.size() <= kMaxDaySeed)
                Seed("day", std::string("real-") + pszDay + "-" + strCode, seed);
        }
    }
    std::string special;
    if (fuzz::ReadFile((strShared + "/special-races.txt").c_str(), special)) {
        // The excerpts are no whole file: they go in as a result block's lines.
        const std::string program = fixture::ProgramFile({{.venue = 12}});
        Seed("day", "special-races", fuzz::JoinDay(program, "STARTK\r\n12KBGN\r\n" + special + "12KEND\r\nFINALK\r\n"));
    }
}

void FixtureDaySeeds()
{
    const CTime day(2020, 1, 1, 0, 0, 0);
    fixture::WriteSpecialDay(day, 12);
    std::string program;
    std::string result;
    fuzz::ReadFile(CKeluDoc::ProgramFileName(day).GetString(), program);
    fuzz::ReadFile(CKeluDoc::ResultFileName(day).GetString(), result);
    Seed("day", "fixture-special", fuzz::JoinDay(program, result));

    std::vector<fixture::ProgramRace> races;
    std::vector<fixture::ResultRace> results;
    for (int r = 1; r < CKeluDoc::kRaces; ++r) {
        races.push_back({.race = r});
        fixture::ResultRace race{.race = r};
        if (r == 3) {
            race.bSpecialRefund = true;
            race.winPay = "70";
        }
        results.push_back(race);
    }
    Seed("day", "fixture-plain",
         fuzz::JoinDay(fixture::ProgramFile({{.venue = 1, .races = races}, {.venue = 24, .races = races}}),
                       fixture::ResultFile({{.venue = 1, .races = results}, {.venue = 24, .races = results}})));
    Seed("day", "program-only", fixture::ProgramFile({{.venue = 5, .races = races}}));
}

void TemplateSeeds()
{
    const std::string strTemplates = KELU_TEMPLATE_DIR;
    for (const char* pszName : {"yftpl.txt", "kftpl.txt", "ydtpl.txt", "kdtpl.txt"}) {
        std::string bytes;
        if (!fuzz::ReadFile((strTemplates + "/" + pszName).c_str(), bytes))
            continue;
        Seed("template", pszName, bytes);
        Seed("sheet", pszName, bytes);
    }
    Seed("template", "every-command",
         "LINE\t10\t20\t30\t40\nLI\t1\t2\t3\t4\nBOX\t5\t5\t50\t50\nBX\t1\t1\t2\t2\n"
         "FONT\t9\tM\tIU\nFN\t14.5\tG\ni\nTEXT\t10\t10\tabc\nTX\t1.5\t2.5\t" + Sjis("全角").Str() + "\n"
         "ALIGNTEXT\t10\t20\t30\tB\tx\nAT\t10\t20\t30\tM\tyy\nAT\t10\t20\t30\tE\tzzz\nNEWPAGE\nNP\nIMAGE\tpic\nIM\n");
}

void FavoriteSeeds()
{
    Seed("favorites", "empty", "");
    Seed("favorites", "named", "4164\t" + Sjis("岩永節也").Str() + "\r\n4320\t\r\n3871\t\r\n");
    Seed("favorites", "lone-lf-no-end", "4001\t\n4002\t\r\n4003");
    Seed("favorites", "half-character", "4001\t" + Sjis("試験").Str().substr(0, 3) + "\r\n1234\r\n");
    std::string full;
    std::string over;
    for (int i = 0; i < 300; ++i) {
        const std::string line = std::to_string(4000 + i) + "\t\r\n";
        if (i < CFavoriteList::kMaxRacers)
            full += line;
        over += line;
    }
    Seed("favorites", "full", full);
    Seed("favorites", "over-full", over);
}

void ProfileSeeds()
{
    Seed("profile", "empty", "");
    Seed("profile", "settings", "[URL]\r\nASSEN=http://www.kelu.invalid/cgi-bin/assen/seiseki.cgi?TOBAN=%d\r\n"
                                "\r\n[Settings]\r\nPreviewPages=2\r\n");
    Seed("profile", "odd", "  [ url ]  \n assen =  \n[settings]\nPreviewPages\n previewpages = 7 \n[URL]\nASSEN=x%%y\n");
}

// The test archives (good, damaged, cut, with unsafe names) and the published ones.
void ArchiveSeeds()
{
    const std::string strTests = std::string(KELU_TEST_DATA_DIR) + "/lzh";
    for (const char* pszName : {"good.lzh", "kgood.lzh", "two.lzh", "corrupt.lzh", "truncated.lzh", "evil.lzh",
                                "folder.lzh", "notarchive.lzh", "empty.lzh"}) {
        std::string bytes;
        if (fuzz::ReadFile((strTests + "/" + pszName).c_str(), bytes))
            Seed("unlha", pszName, bytes);
    }
    for (const char* pszName : {"b200101.lzh", "k200108.lzh"}) {
        std::string bytes;
        if (fuzz::ReadFile((std::string(KELU_SHARED_DATA_DIR) + "/" + pszName).c_str(), bytes))
            Seed("unlha", pszName, bytes);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelu_fuzz_seeds OUTDIR\n");
        return 2;
    }
    mkdir(argv[1], 0755);
    char szFull[4096];
    if (!realpath(argv[1], szFull)) {
        std::perror(argv[1]);
        return 1;
    }
    g_strOut = szFull;
    // The fixture writes its day files into the working directory: a scratch one.
    fuzz::EnterScratchDir(nullptr, nullptr, "seeds");
    RealDaySeeds();
    FixtureDaySeeds();
    TemplateSeeds();
    FavoriteSeeds();
    ProfileSeeds();
    ArchiveSeeds();

    Dictionary("day", {"STARTB", "FINALB", "STARTK", "FINALK", "01BBGN", "01BEND", "24KBGN", "24KEND", "BGN", "END",
                       "#KELU-RESULT#", "Ｒ", "  着 艇", "-------", "単勝", "複勝", "２連単", "２連複", "拡連複",
                       "３連単", "３連複", "特払い", "不成立", "レース不成立", "中　止", "1-2", "1-2-3", "人気",
                       "   1R", "  12R", "　", "A1", "A2", "B1", "B2", "F", "L", "K0", "S"});
    const std::vector<std::string> templateWords = {"LINE", "LI", "BOX", "BX", "TEXT", "TX", "ALIGNTEXT", "AT",
                                                    "FONT", "FN", "NEWPAGE", "NP", "IMAGE", "IM", "\t", "1e300",
                                                    "-1e300", "nan", "inf", "0x1p30", "2147483647"};
    Dictionary("template", templateWords);
    Dictionary("sheet", templateWords);
    Dictionary("favorites", {"\t", "\r\n", "　", "4320", "4164"});
    Dictionary("profile", {"[URL]", "[Settings]", "ASSEN=", "PreviewPages=", "%d", "%%", "\r\n", "="});
    // The shipped model, and pieces of it cut and changed.
    const std::string model = CModelFile::ShippedText();
    Seed("model", "shipped", model);
    Seed("model", "half", model.substr(0, model.size() / 2));
    const std::string format1 = "\"format\": 1";
    if (const size_t nPos = model.find(format1); nPos != std::string::npos)
        Seed("model", "format-2", std::string(model).replace(nPos, format1.size(), "\"format\": 2"));
    Dictionary("model", {"\"format\"", "\"sets\"", "\"program\"", "\"history\"", "\"weights\"", "\"first\"",
                         "\"pairs\"", "\"scale\"", "\"mean\"", "\"name\"", "1e308", "-1e308", "null", "NaN"});
    Dictionary("unlha", {"-lh0-", "-lh5-", "-lh6-", "-lh7-", "-lhd-", "..", "/", "\\", "B200101.TXT", "temp.lzh"});
    std::printf("kelu_fuzz_seeds: %d seeds in %s\n", g_nSeeds, g_strOut.c_str());
    return 0;
}
