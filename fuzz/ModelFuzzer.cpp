// Reads an arbitrary model file as the program reads data/forecast.json, and forecasts a race
// with whatever it accepts: a file is refused in words or gives chances that are numbers and
// add up, never a crash or a half-read model.

#include "FuzzSupport.h"

#include "forecast/Features.h"
#include "forecast/ModelFile.h"

#include <cmath>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    fuzz::EnterScratchDir(pArgc, pArgv, "model");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string text(reinterpret_cast<const char*>(pData), nSize);
    CForecastModel model;
    std::string strError;
    if (!CModelFile::Read(text, model, strError)) {
        if (strError.empty())
            fuzz::Fail("a refused model says why");
        if (model.IsUsable())
            fuzz::Fail("a refused model is not used");
        return 0;
    }
    if (!model.IsUsable())
        fuzz::Fail("an accepted model forecasts");
    // A race of five boats whose figures are the input's bytes again.
    CForecastRace race;
    std::vector<double> rows(6 * CFeatures::Names().size());
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = nSize > 0 ? static_cast<double>(pData[i % nSize]) / 16.0 : 0.0;
    for (int b = 0; b < 5; ++b)
        race.boats[static_cast<size_t>(b)].bPresent = true;
    for (const EFeatureSet set : {EFeatureSet::Program, EFeatureSet::History}) {
        const CForecast f = model.Forecast(race, rows.data(), set);
        double dSum = 0;
        for (double d : f.win) {
            if (!std::isfinite(d) || d < 0 || d > 1)
                fuzz::Fail("a chance is between 0 and 1");
            dSum += d;
        }
        // Weights far out of range may underflow every boat to nothing; otherwise they sum to 1.
        if (dSum > 0 && std::abs(dSum - 1) > 1e-9)
            fuzz::Fail("the chances to win add up to one", std::to_string(dSum));
        if (f.win[5] != 0)
            fuzz::Fail("a boat that does not start has no chance");
        if (f.exacta.size() > 6 || f.trifecta.size() > 12)
            fuzz::Fail("six exacta picks and twelve trifecta picks at most");
    }
    // What it accepted writes and reads back.
    CForecastModel again;
    if (!CModelFile::Read(CModelFile::Write(model), again, strError))
        fuzz::Fail("an accepted model written reads back", strError);
    return 0;
}
