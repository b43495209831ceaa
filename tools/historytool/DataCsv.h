#pragma once
// The stored days as data for scripts, kelu-history's entries and payouts: CSV in UTF-8 with a
// header row and LF, numbers with a point whatever the locale, a day's rows at a time.
//
// entries, one row a boat of each race, in venue, race and boat order:
//   date,venue,race,boat,regno,name,class,age,weight,win_rate,two_rate,local_win_rate,
//   local_two_rate,motor,motor_two_rate,hull,hull_two_rate,exhibition,course,start_timing,place,status
// The program's figures as the program line writes them (the name without its full-width
// blanks); the result's from the racer's finishing line, all empty without one. place is 1-6
// for a boat placed; status is empty then, else the finishing line's code (F, L0, K0, S1...).
//
// payouts, one row a winning line of each bet, in venue, race and the result file's order:
//   date,venue,race,bet,combination,payout,popularity,status
// bet is win, place, exacta, quinella, wide, trifecta or trio; status is 特払い for a special
// refund (no combination) and 不成立 for a bet that did not stand (neither combination nor
// payout), else empty.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CHistoryStore;

class CDataCsv {
public:
    // The header rows, with their LF.
    static std::string EntriesHeader();
    static std::string PayoutsHeader();

    // Adds the stored day's rows to the lines; false when the store cannot be read, with the
    // reason in the store's LastError.
    bool AddEntries(CHistoryStore& store, int nDate, std::string& lines);
    bool AddPayouts(CHistoryStore& store, int nDate, std::string& lines);

private:
    // A name as UTF-8 without full-width blanks. A year names the same racers thousands of
    // times: each is converted once.
    const std::string& Name(std::string_view sjis);

    std::unordered_map<std::string, std::string> m_names;
    // The day's entry rows as they come, and where each starts, by its place in the order written.
    std::string m_day;
    struct CRowSpan {
        int nOrder;
        size_t nStart, nLength;
    };
    std::vector<CRowSpan> m_spans;
};
