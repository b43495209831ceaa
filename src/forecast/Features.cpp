#include "forecast/Features.h"

#include "forecast/PastForm.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// The names, in the order of a row. The program's come first and are the program set.
const char* const kProgramNames[] = {
    "lane2", "lane3", "lane4", "lane5", "lane6",
    "class_a1", "class_a2", "class_b1",
    "win_rate", "win_rate_squared", "two_rate",
    "local_win_rate", "local_two_rate", "no_local_record",
    "motor_two_rate", "motor_two_rate_zero", "hull_two_rate",
    "weight", "age",
    "meet_starts", "meet_mean_place", "meet_wins", "meet_flying", "meet_late", "meet_disqualified",
    "meet_absent",
    "second_race_today", "home_branch",
    "lane1_win_rate_at_lane2", "lane1_win_rate_at_lane3", "lane1_win_rate_at_lane4",
    "lane1_win_rate_at_lane5", "lane1_win_rate_at_lane6",
    "win_rate_minus_lane1", "win_rate_minus_inner",
    "win_rate_at_lane2", "win_rate_at_lane3", "win_rate_at_lane4", "win_rate_at_lane5", "win_rate_at_lane6",
    "local_minus_national", "meet_last_place", "class_a1_at_lane1",
};
const char* const kHistoryNames[] = {
    "start_timing_30", "flying_180_days", "course_win_rate", "course_top_two_rate", "recent_place_30",
    "exhibition_recent_30", "exhibition_this_meet", "motor_exhibition_40", "motor_place_40", "no_history",
    "venue_course_win_rate", "venue_course_top_two_rate", "start_timing_minus_inner",
    "recent_win_rate_30", "recent_top_two_rate_30", "start_timing_spread_30",
};

constexpr int kProgramCount = static_cast<int>(std::size(kProgramNames));

// Places of a start that did not finish in one count as last for a mean place, and a racer or
// motor without any is taken for the middle of the field.
constexpr double kNoPlace = 3.5;
constexpr int kRecentStarts = 30;
constexpr int kMeetDays = 7;
// Starts from a course are few: each rate is drawn towards that course's rate of all racers
// as if by this many starts more.
constexpr double kCoursePrior = 5.0;

// What the program's meet field tells: one byte a race.
void AddMeet(std::string_view meet, double* f)
{
    int nStarts = 0, nPlaced = 0, nPlaceSum = 0, nWins = 0, nFlying = 0, nLate = 0, nDisq = 0, nAbsent = 0;
    for (char ch : meet) {
        if (ch == ' ')
            continue;
        ++nStarts;
        if (ch >= '1' && ch <= '6') {
            ++nPlaced;
            nPlaceSum += ch - '0';
            nWins += ch == '1';
        }
        nFlying += ch == 'F';
        nLate += ch == 'L';
        nDisq += ch == 'S';
        nAbsent += ch == 'K';
    }
    f[0] = nStarts;
    f[1] = nPlaced > 0 ? static_cast<double>(nPlaceSum) / nPlaced : kNoPlace;
    f[2] = nWins;
    f[3] = nFlying;
    f[4] = nLate;
    f[5] = nDisq;
    f[6] = nAbsent;
}

void ProgramFeatures(const CForecastRace& race, int nLane, double* f)
{
    const CForecastBoat& b = race.boats[static_cast<size_t>(nLane - 1)];
    const CForecastBoat& first = race.boats[0];
    double* p = f;
    for (int l = 2; l <= 6; ++l)
        *p++ = nLane == l;
    for (int c = 0; c < 3; ++c)
        *p++ = b.nClass == c;
    *p++ = b.dWinRate;
    *p++ = b.dWinRate * b.dWinRate;
    *p++ = b.dTwoRate;
    *p++ = b.dLocalWinRate;
    *p++ = b.dLocalTwoRate;
    *p++ = b.dLocalWinRate == 0 && b.dLocalTwoRate == 0;
    *p++ = b.dMotorRate;
    *p++ = b.dMotorRate == 0;
    *p++ = b.dHullRate;
    *p++ = b.dWeight;
    *p++ = b.dAge;
    AddMeet(b.Meet(), p);
    p += 7;
    *p++ = b.bEarly;
    *p++ = b.bHome;
    const double dFirstWin = first.bPresent ? first.dWinRate : 0;
    for (int l = 2; l <= 6; ++l)
        *p++ = nLane == l ? dFirstWin : 0;
    *p++ = first.bPresent && nLane > 1 ? b.dWinRate - first.dWinRate : 0;
    const CForecastBoat& inner = race.boats[static_cast<size_t>(nLane > 1 ? nLane - 2 : 0)];
    *p++ = nLane > 1 && inner.bPresent ? b.dWinRate - inner.dWinRate : 0;
    for (int l = 2; l <= 6; ++l)
        *p++ = nLane == l ? b.dWinRate : 0;
    *p++ = b.dLocalWinRate > 0 ? b.dLocalWinRate - b.dWinRate : 0;
    const size_t nLast = b.Meet().find_last_not_of(' ');
    const char chLast = nLast == std::string_view::npos ? ' ' : b.Meet()[nLast];
    *p++ = chLast >= '1' && chLast <= '6' ? chLast - '0' : (chLast == ' ' ? kNoPlace : 6);
    *p++ = nLane == 1 && b.nClass == 0;
}

// Means of what falls within the window, newest first.
struct CMean {
    double dSum = 0;
    int n = 0;
    void Add(double d) { dSum += d, ++n; }
    double Or(double dNone) const { return n > 0 ? dSum / n : dNone; }
};

void HistoryFeatures(const CForecastRace& race, int nLane, const CPastForm& past, double* f)
{
    const CForecastBoat& b = race.boats[static_cast<size_t>(nLane - 1)];
    CMean timing, timingSquares, place, exhibition, meet, wins, topTwo;
    int nStarts = 0, nFlying = 0, nCourse = 0, nCourseWins = 0, nCourseTopTwo = 0;
    if (const CPastForm::CRacer* pRacer = past.Racer(b.nRegNo)) {
        // The window's counts are kept; only the recent starts and the meet are walked.
        nStarts = static_cast<int>(pRacer->starts.size());
        nFlying = pRacer->nFlying;
        nCourse = pRacer->courseStarts[static_cast<size_t>(nLane)];
        nCourseWins = pRacer->courseWins[static_cast<size_t>(nLane)];
        nCourseTopTwo = pRacer->courseTopTwo[static_cast<size_t>(nLane)];
        bool bMeet = true;
        int nSeen = 0;
        for (auto it = pRacer->starts.rbegin(); it != pRacer->starts.rend(); ++it) {
            ++nSeen;
            bMeet = bMeet && it->nVenue == race.nVenue && it->nDay >= race.nDay - kMeetDays;
            if (bMeet && it->bExhibited)
                meet.Add(it->dExhibitionDelta);
            if (it->bTimed && timing.n < kRecentStarts) {
                timing.Add(it->nStartTiming);
                timingSquares.Add(static_cast<double>(it->nStartTiming) * it->nStartTiming);
            }
            if (nSeen <= kRecentStarts) {
                place.Add(it->nPlace > 0 ? it->nPlace : 6);
                wins.Add(it->nPlace == 1);
                topTwo.Add(it->nPlace == 1 || it->nPlace == 2);
                if (it->bExhibited)
                    exhibition.Add(it->dExhibitionDelta);
            }
            if (!bMeet && nSeen >= kRecentStarts && timing.n >= kRecentStarts)
                break;
        }
    }
    CMean motorExhibition, motorPlace;
    if (const auto* pRuns = past.Motor(race.nVenue, b.nMotor)) {
        for (auto it = pRuns->rbegin(); it != pRuns->rend(); ++it) {
            motorPlace.Add(it->nPlace > 0 ? it->nPlace : 6);
            if (it->bExhibited)
                motorExhibition.Add(it->dExhibitionDelta);
        }
    }
    const double dWinPrior = past.CourseWinRate(nLane), dTopTwoPrior = past.CourseTopTwoRate(nLane);
    f[0] = timing.Or(past.MeanStartTiming());
    f[1] = nFlying;
    f[2] = (nCourseWins + kCoursePrior * dWinPrior) / (nCourse + kCoursePrior);
    f[3] = (nCourseTopTwo + kCoursePrior * dTopTwoPrior) / (nCourse + kCoursePrior);
    f[4] = place.Or(kNoPlace);
    f[5] = exhibition.Or(0);
    f[6] = meet.Or(0);
    f[7] = motorExhibition.Or(0);
    f[8] = motorPlace.Or(kNoPlace);
    f[9] = nStarts == 0;
    // A venue's course figures, drawn towards all venues' as the racer's are.
    const int nVenueCourse = race.nVenue >= 1 && race.nVenue <= 24 ? past.VenueCourseStarts(race.nVenue, nLane) : 0;
    const double dVenuePrior = 50.0;
    f[10] = nVenueCourse > 0 ? (past.VenueCourseWinRate(race.nVenue, nLane) * nVenueCourse + dVenuePrior * dWinPrior) /
                                   (nVenueCourse + dVenuePrior)
                             : dWinPrior;
    f[11] = nVenueCourse > 0
                ? (past.VenueCourseTopTwoRate(race.nVenue, nLane) * nVenueCourse + dVenuePrior * dTopTwoPrior) /
                      (nVenueCourse + dVenuePrior)
                : dTopTwoPrior;
    f[13] = wins.Or(1.0 / 6);
    f[14] = topTwo.Or(2.0 / 6);
    const double dMeanTiming = timing.Or(0);
    f[15] = timing.n >= 2 ? std::sqrt(std::max(0.0, timingSquares.Or(0) - dMeanTiming * dMeanTiming)) : 0;
}

} // namespace

const std::vector<std::string>& CFeatures::Names()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v(std::begin(kProgramNames), std::end(kProgramNames));
        v.insert(v.end(), std::begin(kHistoryNames), std::end(kHistoryNames));
        return v;
    }();
    return names;
}

int CFeatures::ProgramCount()
{
    return kProgramCount;
}

int CFeatures::Count(EFeatureSet set)
{
    return set == EFeatureSet::Program ? kProgramCount : static_cast<int>(Names().size());
}

void CFeatures::Compute(const CForecastRace& race, const CPastForm* pPast, double* pRows)
{
    const size_t nWidth = Names().size();
    std::fill(pRows, pRows + 6 * nWidth, 0.0);
    for (int l = 1; l <= 6; ++l) {
        if (!race.boats[static_cast<size_t>(l - 1)].bPresent)
            continue;
        double* pRow = pRows + static_cast<size_t>(l - 1) * nWidth;
        ProgramFeatures(race, l, pRow);
        if (pPast)
            HistoryFeatures(race, l, *pPast, pRow + kProgramCount);
    }
    // Who starts faster than the boat inside can turn past it.
    for (int l = 2; pPast && l <= 6; ++l) {
        double* pRow = pRows + static_cast<size_t>(l - 1) * nWidth + kProgramCount;
        const double* pInner = pRow - nWidth;
        if (race.boats[static_cast<size_t>(l - 1)].bPresent && race.boats[static_cast<size_t>(l - 2)].bPresent)
            pRow[12] = pRow[0] - pInner[0];
    }
}
