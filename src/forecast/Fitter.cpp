#include "forecast/Fitter.h"

#include "forecast/Features.h"
#include "forecast/Likelihood.h"

#include <lbfgs.h>

#include <algorithm>
#include <memory>

namespace {

struct CRun {
    const CLikelihood& likelihood;
    const std::atomic<bool>& bStop;
    const std::function<void(int)>& progress;
};

lbfgsfloatval_t Evaluate(void* pInstance, const lbfgsfloatval_t* x, lbfgsfloatval_t* g, int, lbfgsfloatval_t)
{
    return static_cast<CRun*>(pInstance)->likelihood.Evaluate(x, g);
}

int Progress(void* pInstance, const lbfgsfloatval_t*, const lbfgsfloatval_t*, lbfgsfloatval_t, lbfgsfloatval_t,
             lbfgsfloatval_t, lbfgsfloatval_t, int, int k, int)
{
    auto* pRun = static_cast<CRun*>(pInstance);
    if (pRun->progress)
        pRun->progress(k);
    return pRun->bStop ? 1 : 0;
}

std::string Reason(int nStatus)
{
    switch (nStatus) {
    case LBFGSERR_OUTOFMEMORY:
        return "メモリが足りません";
    case LBFGSERR_CANCELED:
        return "中止しました";
    default:
        return "最適化が収束しませんでした (liblbfgs " + std::to_string(nStatus) + ")";
    }
}

struct CFree {
    void operator()(lbfgsfloatval_t* p) const { lbfgs_free(p); }
};

} // namespace

bool CFitter::Fit(const CTrainingSet& data, const COptions& options, const std::atomic<bool>& bStop,
                  const std::function<void(int)>& progress, CCoefficientSet& set, std::string& strError)
{
    if (data.Races().empty() || options.nRaces == 0) {
        strError = "学習に使える決着したレースがありません";
        return false;
    }
    const CLikelihood likelihood(data, options.nRaces, options.dPenalty, options.nThreads);
    const int n = likelihood.Parameters();
    const size_t nWidth = static_cast<size_t>(data.Width());
    std::unique_ptr<lbfgsfloatval_t, CFree> x(lbfgs_malloc(n));
    if (!x) {
        strError = Reason(LBFGSERR_OUTOFMEMORY);
        return false;
    }
    std::fill(x.get(), x.get() + n, 0.0);
    // A set of the same features starts where it stopped: a refit on more days needs few steps.
    const bool bWarm = set.names.size() == nWidth &&
                       std::equal(set.names.begin(), set.names.end(), CFeatures::Names().begin()) &&
                       set.weights[0].size() == nWidth;
    if (bWarm) {
        for (size_t p = 0; p < 3; ++p)
            for (size_t f = 0; f < nWidth; ++f)
                x.get()[p * nWidth + f] = set.weights[p][f] * data.Scale()[f] / set.scale[f];
        const CPairTables::CTable* tables[] = {&set.pairs.second, &set.pairs.thirdAfterFirst,
                                               &set.pairs.thirdAfterSecond};
        for (size_t t = 0; t < 3; ++t)
            for (size_t j = 0; j < 6; ++j)
                for (size_t k = 0; k < 6; ++k)
                    x.get()[3 * nWidth + t * CLikelihood::kPairValues + j * 6 + k] = (*tables[t])[j][k];
    }
    lbfgs_parameter_t param;
    lbfgs_parameter_init(&param);
    param.max_iterations = options.nMaxIterations;
    param.past = 10;
    param.delta = options.dTolerance;
    param.epsilon = 1e-6;
    CRun run{likelihood, bStop, progress};
    lbfgsfloatval_t fx = 0;
    const int nStatus = lbfgs(n, x.get(), &fx, Evaluate, Progress, &run, &param);
    // Stopping at the iteration limit or where the line search can go no further still leaves
    // a good minimum of a convex function; a cancel or a failure does not.
    const bool bOk = nStatus == LBFGS_SUCCESS || nStatus == LBFGS_STOP || nStatus == LBFGS_ALREADY_MINIMIZED ||
                     nStatus == LBFGSERR_MAXIMUMITERATION || nStatus == LBFGSERR_ROUNDING_ERROR ||
                     nStatus == LBFGSERR_MAXIMUMLINESEARCH;
    if (!bOk || bStop) {
        strError = Reason(bStop ? LBFGSERR_CANCELED : nStatus);
        return false;
    }
    CCoefficientSet fitted;
    fitted.names.assign(CFeatures::Names().begin(), CFeatures::Names().begin() + static_cast<std::ptrdiff_t>(nWidth));
    fitted.mean = data.Mean();
    fitted.scale = data.Scale();
    for (size_t p = 0; p < 3; ++p)
        fitted.weights[p].assign(x.get() + p * nWidth, x.get() + (p + 1) * nWidth);
    const lbfgsfloatval_t* pPairs = x.get() + 3 * nWidth;
    CPairTables::CTable* tables[] = {&fitted.pairs.second, &fitted.pairs.thirdAfterFirst,
                                     &fitted.pairs.thirdAfterSecond};
    for (size_t t = 0; t < 3; ++t)
        for (size_t j = 0; j < 6; ++j)
            for (size_t k = 0; k < 6; ++k)
                (*tables[t])[j][k] = pPairs[t * CLikelihood::kPairValues + j * 6 + k];
    fitted.nRaces = static_cast<int>(std::min(options.nRaces, data.Races().size()));
    set = std::move(fitted);
    return true;
}
