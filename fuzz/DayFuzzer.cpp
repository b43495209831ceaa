// Loads a day from arbitrary program and result bytes, then asks it for everything.

#include "FuzzSupport.h"

#include "model/KeluDoc.h"

#include <memory>

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    fuzz::EnterScratchDir(pArgc, pArgv, "day");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const fuzz::CDayInput input = fuzz::SplitDay(pData, nSize);
    fuzz::WriteDayFiles(input.program, input.result);
    // A fresh document each time, so that an input found here reproduces on its own.
    auto pDoc = std::make_unique<CKeluDoc>();
    if (!fuzz::LoadFuzzDay(*pDoc))
        fuzz::Fail("a day whose two files exist loads");
    fuzz::Keep(fuzz::ExerciseDay(*pDoc));
    return 0;
}
