#include "forecast/ForecastRace.h"

#include <algorithm>

void CForecastBoat::SetMeet(std::string_view s)
{
    nMeet = static_cast<unsigned char>(std::min(s.size(), meet.size()));
    std::copy_n(s.begin(), nMeet, meet.begin());
}

std::array<int, 3> CForecastRace::Order() const
{
    // By place, and a shared place in lane order: a dead heat for second puts the outer boat
    // third.
    std::array<int, 3> order{};
    size_t n = 0;
    for (int nPlace = 1; nPlace <= 6 && n < order.size(); ++nPlace)
        for (size_t l = 0; l < boats.size() && n < order.size(); ++l)
            if (boats[l].bPresent && boats[l].finish == EFinish::Placed && boats[l].nPlace == nPlace)
                order[n++] = static_cast<int>(l) + 1;
    return order;
}

bool CForecastRace::IsDecided() const
{
    const std::array<int, 3> order = Order();
    return order[0] != 0 && order[1] != 0;
}
