#pragma once
// The store as every command of kelu-history meets it first: opened, and brought up to date
// with the day files, forecasts included. What opening it did is told once on standard error.
// A store found damaged is set aside and built anew from the files, once. A store that cannot
// be written (read-only, or another process holding its lock) is read as it is, with a warning
// that it may be behind the files, as the program's windows read it.

#include "forecast/ForecastModel.h"
#include "history/HistoryStore.h"

#include <functional>
#include <string>

class CDataFolder;

class CStoreSession {
public:
    explicit CStoreSession(const CDataFolder& folder) : m_folder(folder) {}

    // Opens the store; false when it cannot be opened at all.
    bool Open();
    // Brings it up to date with the model: false when it could not be written. With pReport
    // the days read are listed there.
    bool Update(const CForecastModel& model, std::string* pReport, std::string& strError);
    // Runs a question; when it finds the store damaged, the store is built anew and asked again.
    bool Ask(const CForecastModel& model, const std::function<bool(CHistoryStore&)>& question);

    CHistoryStore& Store() { return m_store; }
    // A message to the user on standard error, with every path named where the user keeps it.
    void Say(const std::string& strText) const;

private:
    void SayNotices();

    const CDataFolder& m_folder;
    CHistoryStore m_store;
    size_t m_nNoticesSaid = 0;
};

// The number of threads a command works on.
int Threads();
// Why the store keeps nothing of a day but its state, told as the window tells of a damaged
// day file: "壊れています: ...。" or "デモの日（架空の選手）です。"; empty for a day read whole.
std::string DayFault(const CDayState& s);
