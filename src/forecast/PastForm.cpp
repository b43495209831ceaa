#include "forecast/PastForm.h"

#include <algorithm>

namespace {

// A race's mean exhibition time over the boats that ran it; none with fewer than two.
bool MeanExhibition(const CForecastRace& race, double& dMean)
{
    int n = 0;
    double dSum = 0;
    for (const CForecastBoat& b : race.boats)
        if (b.bPresent && b.bExhibited) {
            ++n;
            dSum += b.nExhibition / 100.0;
        }
    dMean = n > 0 ? dSum / n : 0;
    return n >= 2;
}

int MotorKey(int nVenue, int nMotor)
{
    return nVenue * 1000 + nMotor;
}

} // namespace

template <class T>
void CPastForm::Trim(std::deque<T>& runs, int nFirstDay)
{
    while (!runs.empty() && runs.front().nDay < nFirstDay)
        runs.pop_front();
}

void CPastForm::Count(const CDayTotals& day, int nSign)
{
    for (size_t v = 0; v < day.starts.size(); ++v)
        for (size_t c = 0; c < day.starts[v].size(); ++c) {
            m_window.starts[v][c] += nSign * day.starts[v][c];
            m_window.wins[v][c] += nSign * day.wins[v][c];
            m_window.topTwo[v][c] += nSign * day.topTwo[v][c];
        }
    m_window.nTimed += nSign * day.nTimed;
    m_window.nTimingSum += nSign * day.nTimingSum;
}

void CPastForm::MoveTo(int nDay)
{
    m_nDay = std::max(m_nDay, nDay);
    while (!m_days.empty() && m_days.front().nDay < FirstDay()) {
        Count(m_days.front(), -1);
        m_days.pop_front();
    }
}

void CPastForm::AddDay(int nDay, const std::vector<CForecastRace>& races)
{
    CDayTotals totals;
    totals.nDay = nDay;
    for (const CForecastRace& race : races) {
        double dMean = 0;
        const bool bMean = MeanExhibition(race, dMean);
        for (const CForecastBoat& b : race.boats) {
            if (!b.bPresent || b.finish == EFinish::None || b.finish == EFinish::Absent)
                continue;
            CPastStart s;
            s.nDay = nDay;
            s.nVenue = race.nVenue;
            s.nCourse = b.nCourse;
            s.nPlace = b.finish == EFinish::Placed ? b.nPlace : 0;
            s.bFlying = b.finish == EFinish::Flying;
            s.bTimed = b.bTimed && b.nStartTiming >= 0;
            s.nStartTiming = b.nStartTiming;
            s.bExhibited = bMean && b.bExhibited;
            s.dExhibitionDelta = s.bExhibited ? b.nExhibition / 100.0 - dMean : 0;
            if (b.nRegNo > 0) {
                std::deque<CPastStart>& starts = m_racers[b.nRegNo];
                Trim(starts, nDay - kWindowDays);
                starts.push_back(s);
            }
            if (b.nMotor > 0) {
                std::deque<CMotorRun>& runs = m_motors[MotorKey(race.nVenue, b.nMotor)];
                Trim(runs, nDay - kWindowDays);
                runs.push_back({nDay, s.nPlace, s.bExhibited, s.dExhibitionDelta});
                if (runs.size() > kMotorRuns)
                    runs.pop_front();
            }
            if (s.nCourse >= 1 && s.nCourse <= 6 && race.nVenue >= 1 && race.nVenue <= 24) {
                for (const int v : {0, race.nVenue}) {
                    ++totals.starts[v][s.nCourse];
                    totals.wins[v][s.nCourse] += s.nPlace == 1;
                    totals.topTwo[v][s.nCourse] += s.nPlace == 1 || s.nPlace == 2;
                }
            }
            if (s.bTimed) {
                ++totals.nTimed;
                totals.nTimingSum += s.nStartTiming;
            }
        }
    }
    Count(totals, +1);
    m_days.push_back(totals);
}

const std::deque<CPastStart>* CPastForm::Racer(int nRegNo) const
{
    const auto it = m_racers.find(nRegNo);
    return it == m_racers.end() ? nullptr : &it->second;
}

const std::deque<CMotorRun>* CPastForm::Motor(int nVenue, int nMotor) const
{
    const auto it = m_motors.find(MotorKey(nVenue, nMotor));
    return it == m_motors.end() ? nullptr : &it->second;
}

double CPastForm::CourseWinRate(int nCourse) const
{
    return VenueCourseWinRate(0, nCourse);
}

double CPastForm::CourseTopTwoRate(int nCourse) const
{
    return VenueCourseTopTwoRate(0, nCourse);
}

int CPastForm::VenueCourseStarts(int nVenue, int nCourse) const
{
    return m_window.starts[static_cast<size_t>(nVenue)][static_cast<size_t>(nCourse)];
}

double CPastForm::VenueCourseWinRate(int nVenue, int nCourse) const
{
    const int n = VenueCourseStarts(nVenue, nCourse);
    return n > 0 ? static_cast<double>(m_window.wins[static_cast<size_t>(nVenue)][static_cast<size_t>(nCourse)]) / n : 0;
}

double CPastForm::VenueCourseTopTwoRate(int nVenue, int nCourse) const
{
    const int n = VenueCourseStarts(nVenue, nCourse);
    return n > 0 ? static_cast<double>(m_window.topTwo[static_cast<size_t>(nVenue)][static_cast<size_t>(nCourse)]) / n
                 : 0;
}

double CPastForm::MeanStartTiming() const
{
    return m_window.nTimed > 0 ? static_cast<double>(m_window.nTimingSum) / m_window.nTimed : 0;
}
