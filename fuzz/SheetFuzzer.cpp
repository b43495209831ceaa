// Writes both data sheets of a loaded day from an arbitrary data template, then prints them.
// The day is a real published one when the shared data folder is there, else a fixture day.

#include "FuzzSupport.h"

#include "model/KeluDoc.h"
#include "platform/TextFile.h"
#include "print/RecordingDC.h"
#include "print/TemplateRenderer.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

CKeluDoc* g_pDoc = nullptr;
std::vector<int> g_venues; // the venues of the loaded day, each with a first race

// The lines of a file as text mode reads them.
size_t LineCount(const char* pszPath)
{
    CTextFile file;
    size_t n = 0;
    CString strLine;
    if (file.Open(pszPath, CTextFile::modeRead)) {
        while (file.ReadString(strLine))
            ++n;
    }
    return n;
}

void PrintSheet(const char* pszSheet)
{
    if (!fuzz::FileExists(pszSheet))
        return;
    CRecordingDC dc;
    CTemplateRenderer renderer;
    renderer.PrintTemplate(pszSheet, &dc);
    fuzz::Keep(dc.Calls().size());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* pArgc, char*** pArgv)
{
    fuzz::EnterScratchDir(pArgc, pArgv, "sheet");
    g_pDoc = fuzz::LoadFixedDay(true);
    for (int v = 1; v < CKeluDoc::kVenues; ++v) {
        if (g_pDoc->HasRace(v, 1))
            g_venues.push_back(v);
    }
    if (g_venues.empty())
        fuzz::Fail("the sheet target's day has a venue");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string_view bytes(reinterpret_cast<const char*>(pData), nSize);
    std::remove("data/yddat.txt");
    std::remove("data/kddat.txt");
    fuzz::WriteFile("data/ydtpl.txt", bytes);
    fuzz::WriteFile("data/kdtpl.txt", bytes);
    // The venue and the first race of the page follow from the input's size: every page of
    // the day is reached, and an input gives the same page every time.
    const int nVenue = g_venues[nSize % g_venues.size()];
    const int nFirstRace = 1 + 3 * static_cast<int>((nSize / g_venues.size()) % 4);
    g_pDoc->ClearSelection();
    g_pDoc->SetSelection(nVenue, nFirstRace);
    g_pDoc->WriteProgramSheet(nVenue, nFirstRace);
    g_pDoc->WriteResultSheet(nVenue, nFirstRace);
    if (g_pDoc->GetVenue() != nVenue || g_pDoc->GetRace() != nFirstRace)
        fuzz::Fail("the selection is the same after writing the sheets");
    if (!fuzz::FileExists("data/yddat.txt") || !fuzz::FileExists("data/kddat.txt"))
        fuzz::Fail("a readable data template gives a sheet");
    // A sheet is a copy of its template, line for line, so that printing it keeps the slots.
    const size_t nTemplateLines = LineCount("data/ydtpl.txt");
    if (LineCount("data/yddat.txt") != nTemplateLines || LineCount("data/kddat.txt") != nTemplateLines)
        fuzz::Fail("a sheet has its template's line count");
    PrintSheet("data/yddat.txt");
    PrintSheet("data/kddat.txt");
    return 0;
}
