#include "forecast/PastForm.h"

#include <algorithm>
#include <iterator>

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

void CPastForm::Count(CRacer& racer, const CPastStart& start, int nSign)
{
    racer.nFlying += nSign * start.bFlying;
    if (start.nCourse < 1 || start.nCourse > 6)
        return;
    const auto c = static_cast<size_t>(start.nCourse);
    racer.courseStarts[c] += nSign;
    racer.courseWins[c] += nSign * (start.nPlace == 1);
    racer.courseTopTwo[c] += nSign * (start.nPlace == 1 || start.nPlace == 2);
}

void CPastForm::Trim(const CDayTotals& day)
{
    const int nFirst = FirstDay();
    for (const int nRegNo : day.racers) {
        const auto it = m_racers.find(nRegNo);
        if (it == m_racers.end())
            continue;
        CRacer& racer = it->second;
        while (!racer.starts.empty() && racer.starts.front().nDay < nFirst) {
            Count(racer, racer.starts.front(), -1);
            racer.starts.pop_front();
        }
        if (racer.starts.empty())
            m_racers.erase(it);
    }
    for (const int nKey : day.motors) {
        const auto it = m_motors.find(nKey);
        if (it == m_motors.end())
            continue;
        while (!it->second.empty() && it->second.front().nDay < nFirst)
            it->second.pop_front();
        if (it->second.empty())
            m_motors.erase(it);
    }
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
    if (nDay <= m_nDay)
        return;
    m_nDay = nDay;
    while (!m_days.empty() && m_days.front().nDay < FirstDay()) {
        Count(m_days.front(), -1);
        Trim(m_days.front());
        m_days.pop_front();
    }
}

void CPastForm::AddRace(int nDay, const CForecastRace& race)
{
    CDayTotals& totals = m_today;
    totals.nDay = nDay;
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
            CRacer& racer = m_racers[b.nRegNo];
            racer.starts.push_back(s);
            Count(racer, s, +1);
            totals.racers.push_back(b.nRegNo);
        }
        if (b.nMotor > 0) {
            const int nKey = MotorKey(race.nVenue, b.nMotor);
            std::deque<CMotorRun>& runs = m_motors[nKey];
            runs.push_back({nDay, s.nPlace, s.bExhibited, s.dExhibitionDelta});
            if (runs.size() > kMotorRuns)
                runs.pop_front();
            totals.motors.push_back(nKey);
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

void CPastForm::EndDay(int nDay)
{
    m_today.nDay = nDay;
    Count(m_today, +1);
    m_days.push_back(std::move(m_today));
    m_today = CDayTotals();
}

void CPastForm::AddDay(int nDay, const std::vector<CForecastRace>& races)
{
    for (const CForecastRace& race : races)
        AddRace(nDay, race);
    EndDay(nDay);
}

const CPastForm::CRacer* CPastForm::Racer(int nRegNo) const
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
