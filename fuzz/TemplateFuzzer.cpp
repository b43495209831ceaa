// Interprets an arbitrary print template on the recording surface, as printing a page does.

#include "FuzzSupport.h"

#include "print/RecordingDC.h"
#include "print/TemplateRenderer.h"

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    fuzz::EnterScratchDir(pArgc, pArgv, "template");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    fuzz::WriteFile("data/kftpl.txt", std::string_view(reinterpret_cast<const char*>(pData), nSize));
    // A printer with unprintable margins, so that the page set-up moves the origin.
    CRecordingDC dc(600, 4960, 7016, 71, 83);
    CTemplateRenderer renderer;
    if (!renderer.PrintTemplate("data\\kftpl.txt", &dc))
        fuzz::Fail("a template that exists is drawn");
    // A page is drawn as a template followed by its data sheet on the same surface.
    if (!renderer.PrintTemplate("data\\kftpl.txt"))
        fuzz::Fail("a second template goes to the surface of the first");
    if (renderer.GetFontSize() <= 0)
        fuzz::Fail("the font size stays positive");
    fuzz::Keep(dc.Lines().size() + static_cast<size_t>(renderer.FontHeight()));
    return 0;
}
