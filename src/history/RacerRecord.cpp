#include "history/RacerRecord.h"

#include "platform/Number.h"


bool CRacerRace::IsStart() const
{
    return outcome == EOutcome::Decided && !strPlace.IsEmpty() && strPlace[0] != 'K';
}

int PlaceNumber(std::string_view place)
{
    if (place.empty() || !IsDigit(place[0]))
        return 0;
    const long long n = LeadingInt(place).value_or(0);
    return n >= 1 && n <= 6 ? static_cast<int>(n) : 0;
}

int CourseNumber(std::string_view course)
{
    return course.size() == 1 && course[0] >= '1' && course[0] <= '6' ? course[0] - '0' : 0;
}

int CRacerRace::Place() const
{
    return PlaceNumber(strPlace.Str());
}

int CRacerRace::Course() const
{
    return CourseNumber(strCourse.Str());
}

void CRacerFigures::Add(const CRacerRace& race)
{
    if (!race.IsStart())
        return;
    ++nStarts;
    const int nPlace = race.Place();
    nWins += nPlace == 1;
    nTopTwo += nPlace >= 1 && nPlace <= 2;
    nTopThree += nPlace >= 1 && nPlace <= 3;
    // A flying start's timing is before the signal: no start to average.
    if (race.nStartTiming && *race.nStartTiming >= 0) {
        ++nTimedStarts;
        nStartTimingSum += *race.nStartTiming;
    }
}

double CRacerFigures::WinRate() const { return Percent(nWins, nStarts); }
double CRacerFigures::TopTwoRate() const { return Percent(nTopTwo, nStarts); }
double CRacerFigures::TopThreeRate() const { return Percent(nTopThree, nStarts); }

std::optional<double> CRacerFigures::AverageStart() const
{
    if (nTimedStarts == 0)
        return std::nullopt;
    return static_cast<double>(nStartTimingSum) / nTimedStarts / 100.0;
}

void CRacerRecord::Add(CRacerRace race)
{
    m_total.Add(race);
    m_byCourse[race.Course()].Add(race);
    m_races.push_back(std::move(race));
}

std::vector<CPlacePoint> CRacerRecord::PlacesOverTime() const
{
    std::vector<CPlacePoint> points;
    for (auto it = m_races.rbegin(); it != m_races.rend(); ++it)
        if (it->IsStart())
            points.push_back({it->nDate, it->nVenue, it->nRace, it->Place()});
    return points;
}
