#pragma once
// What the days before a race tell of its racers and motors: each racer's recent starts and
// each venue's motors' recent runs, over a window of days. Fed one day at a time, in date
// order, after that day's forecasts were made, so a forecast never sees its own day or a later
// one.

#include "forecast/ForecastRace.h"

#include <array>
#include <deque>
#include <unordered_map>
#include <vector>

struct CPastStart {
    int nDay = 0;
    int nVenue = 0;
    int nCourse = 0; // 0 unknown
    int nPlace = 0;  // 1..6; 0 for a start without a place
    bool bFlying = false;
    bool bTimed = false;
    int nStartTiming = 0; // hundredths, not flying
    bool bExhibited = false;
    double dExhibitionDelta = 0; // seconds behind the race's mean exhibition time (negative: faster)
};

struct CMotorRun {
    int nDay = 0;
    int nPlace = 0; // 0 for a run without a place
    bool bExhibited = false;
    double dExhibitionDelta = 0;
};

class CPastForm {
public:
    // Nothing older than this many days before a race counts for it: a forecast is the same
    // whichever day the reading of the store started from, so long as the window was read.
    static constexpr int kWindowDays = 180;

    // Forgets what lies further back than the window from the day; the questions below are
    // then those of a race on that day. Days only move forward.
    void MoveTo(int nDay);
    // Adds the day's races that have a result. Days come in date order, each once, after the
    // day's own forecasts: race by race, then the end of the day.
    void AddRace(int nDay, const CForecastRace& race);
    void EndDay(int nDay);
    void AddDay(int nDay, const std::vector<CForecastRace>& races);

    // How many days were added within the window.
    int Days() const { return static_cast<int>(m_days.size()); }
    // The first day within the window.
    int FirstDay() const { return m_nDay - kWindowDays; }

    // A racer's starts within the window, oldest first, with their counts from each course.
    struct CRacer {
        std::deque<CPastStart> starts;
        std::array<int, 7> courseStarts{}, courseWins{}, courseTopTwo{};
        int nFlying = 0;
    };
    // The racer's starts and the motor's runs within the window; null when there are none.
    const CRacer* Racer(int nRegNo) const;
    const std::deque<CMotorRun>* Motor(int nVenue, int nMotor) const;
    // Of all starts from the course within the window: the share won and the share in the
    // first two; none before any.
    double CourseWinRate(int nCourse) const;
    double CourseTopTwoRate(int nCourse) const;
    // The same at one venue; none before any.
    double VenueCourseWinRate(int nVenue, int nCourse) const;
    double VenueCourseTopTwoRate(int nVenue, int nCourse) const;
    int VenueCourseStarts(int nVenue, int nCourse) const;
    // The mean of every timed start within the window, in hundredths.
    double MeanStartTiming() const;

private:
    static constexpr size_t kMotorRuns = 40;

    struct CDayTotals {
        int nDay = 0;
        // By venue and course; venue 0 holds every venue's.
        std::array<std::array<int, 7>, 25> starts{}, wins{}, topTwo{};
        long long nTimed = 0;
        long long nTimingSum = 0;
        // Who raced that day, and which motors ran.
        std::vector<int> racers, motors;
    };
    void Count(const CDayTotals& day, int nSign);
    static void Count(CRacer& racer, const CPastStart& start, int nSign);
    // Drops the starts and runs of the days that left the window: only the racers and motors
    // of those days can have any.
    void Trim(const CDayTotals& day);

    int m_nDay = 0;
    std::unordered_map<int, CRacer> m_racers;
    std::unordered_map<int, std::deque<CMotorRun>> m_motors;
    std::deque<CDayTotals> m_days;
    CDayTotals m_window; // the sums of m_days
    CDayTotals m_today;  // the day being added
};
