#include "history/RacerRecord.h"

#include "platform/Number.h"


bool CRacerRace::IsStart() const
{
    return outcome == EOutcome::Decided && !strPlace.IsEmpty() && strPlace[0] != 'K';
}

int CRacerRace::Place() const
{
    // "01".."06"; "F", "L0", "S1" are no place.
    const char ch = strPlace[0];
    const int n = AtoI(strPlace);
    return ch >= '0' && ch <= '9' && n >= 1 && n <= 6 ? n : 0;
}

int CRacerRace::Course() const
{
    const int n = AtoI(strCourse);
    return strCourse.GetLength() == 1 && n >= 1 && n <= 6 ? n : 0;
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
