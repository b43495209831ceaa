#pragma once
// The published day files read the simplest way their layout allows, for tests that count what
// the store and the record should hold without the program's readers: a venue block runs from
// "NN?BGN" to "NN?END"; a program race starts at a line with "Ｒ" at bytes 4..5 and its boats
// are the lines "1 4720..."; a result race starts at a line with "R" at byte 4, its six
// finishing lines follow the rule line, and its payout lines carry their bet at bytes 8..13.

#include "record/PredictionRecord.h"

#include <map>
#include <tuple>
#include <string>
#include <utility>
#include <vector>

namespace published {

// A payout line of a bet: "２連単   3-5       5750  人気    16".
struct CPayout {
    std::string combo;
    int nPay = 0;
    int nPopularity = 0;
};

struct CRace {
    std::vector<std::pair<int, int>> boats; // (boat, registration number) of the program
    std::vector<std::string> programs;      // the boats' program lines, bytes as published
    std::vector<std::string> finishes;      // the six finishing lines, bytes as published
    // Every payout line with the label of its bet ("単勝", in Shift-JIS), the label of the line
    // above for a line without one; bytes as published, in the file's order.
    std::vector<std::pair<std::string, std::string>> payoutLines;
    std::vector<CPayout> exacta;            // the 2連単 lines; "不成立" is none
    std::vector<CPayout> trifecta;
    bool bExactaVoid = false;
};

// (date YYYYMMDD, venue, race) -> the race.
using CRaces = std::map<std::tuple<int, int, int>, CRace>;

// The published days: file tag and date.
inline const std::pair<const char*, int> kDays[] = {
    {"200101", 20200101}, {"200105", 20200105}, {"200106", 20200106}, {"200108", 20200108}};

// Copies the published days into data/prog and data/res; false when they are not there.
bool CopyDays();
// All of them, read from the folder of published days.
CRaces ReadDays();

// Reads BYYMMDD.TXT and KYYMMDD.TXT of the day from the folder.
void ReadDay(const std::string& strFolder, const std::string& strTag, int nDate, CRaces& races);
// Reads a day's program file and result file.
void ReadFiles(const std::string& strProgram, const std::string& strResult, int nDate, CRaces& races);

// What the predictions' record should hold for the races, counted here and not by the record's
// own code: the races with a published exacta; the hits and what was paid on the picks the
// details page shows (the document's, from the day files in data/); the crowd's by the
// popularity printed on each payout line. Empty when a day cannot be read.
struct CRecordCounted {
    std::map<int, SRecordCount> byVenue;
    SRecordCount total;
};
CRecordCounted CountRecord(const CRaces& races);

// Bytes nPos.. of a line, at most nLength, without blanks at either end.
std::string Field(const std::string& line, size_t nPos, size_t nLength);

} // namespace published
