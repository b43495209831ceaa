// Going from one race to the next in the real window (offscreen): a click on the next race's
// button until both grids hold that race, against the rendering of the grids alone (one
// ShowProgramGrid, which fills the program grid and then the lower grid's page). The ratio is
// what the click path (the button, the lists, the selection, the titles, the pressed buttons,
// the status bar) adds to the rendering; the click itself is also held to 2 ms. Between two
// steps the window paints what changed, untimed, as it does between two clicks of a user's; a
// third measurement times that paint with the click.
//
// Kelu is started as main() starts it, in a folder of its own that holds the published day of
// 5 January 2020 under today's name, so that it loads that day at start; the benchmark then
// chooses the first venue that races and steps through its races.

#include "BenchApp.h"
#include "BenchRatio.h"
#include "app/KeluApp.h"
#include "frame/MainFrame.h"
#include "model/KeluDoc.h"
#include "view/KeluView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include <stdlib.h>

namespace {

namespace fs = std::filesystem;

class CSwitchBench {
public:
    CSwitchBench()
    {
        benchapp::EnsureApplication();
        std::string dir = (fs::temp_directory_path() / "kelu-bench-switch-XXXXXX").string();
        if (!mkdtemp(dir.data()))
            return;
        m_dir = dir;
        if (!PutTodaysDay())
            return;
        const fs::path old = fs::current_path();
        fs::current_path(m_dir);
        m_pApp = std::make_unique<CKeluApp>();
        const bool bStarted = m_pApp->InitInstance({});
        fs::current_path(old);
        if (!bStarted || !m_pApp->GetView())
            return;
        CKeluView& view = *m_pApp->GetView();
        for (QPushButton* pButton : view.m_pVenueButton)
            if (pButton->isEnabled()) {
                QTest::mouseClick(pButton, Qt::LeftButton);
                break;
            }
        CKeluDoc& doc = *view.GetDocument();
        while (m_nRaces < 12 && doc.HasRace(doc.GetVenue(), m_nRaces + 1))
            ++m_nRaces;
        // The window as the user has it: shown and painted.
        Paint();
    }
    ~CSwitchBench()
    {
        m_pApp.reset();
        std::error_code ec;
        if (!m_dir.empty())
            fs::remove_all(m_dir, ec);
    }

    bool Ready() const { return m_nRaces > 1; }
    // Paints what changed, as the window does between two clicks of the user's: Qt paints at
    // the window system's next frame, a few milliseconds after the change, and a paint still
    // pending at the next click would be done by the pressed button's immediate repaint.
    void Paint()
    {
        QCoreApplication::processEvents();
        QEvent request(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(m_pApp->GetMainWnd(), &request);
    }
    CKeluView& View() { return *m_pApp->GetView(); }
    CKeluDoc& Doc() { return *View().GetDocument(); }
    // The race after the one shown, the first after the last.
    int NextRace() { return Doc().GetRace() % m_nRaces + 1; }
    // Both grids show the race chosen in the document: its first racer's name in the program
    // grid, its first boat's registration number in the details page.
    bool GridsShowTheRace()
    {
        return View().m_gridProgram->GetTextMatrix(1, 2) == Doc().GetRacerName(1) &&
               View().m_gridLower->GetTextMatrix(1, 1) == Doc().GetRegNo(1);
    }

private:
    bool PutTodaysDay()
    {
        const fs::path shared(KELU_SHARED_DATA_DIR);
        const std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        char szDay[32];
        std::snprintf(szDay, sizeof szDay, "%02d%02d%02d", tm.tm_year % 100, tm.tm_mon + 1, tm.tm_mday);
        std::error_code ec;
        fs::create_directories(m_dir / "data/prog", ec);
        fs::create_directories(m_dir / "data/res", ec);
        return fs::copy_file(shared / "B200105.TXT", m_dir / "data/prog" / (std::string("B") + szDay + ".TXT"), ec) &&
               fs::copy_file(shared / "K200105.TXT", m_dir / "data/res" / (std::string("K") + szDay + ".TXT"), ec);
    }

    fs::path m_dir;
    std::unique_ptr<CKeluApp> m_pApp;
    int m_nRaces = 0;
};

CSwitchBench& Bench()
{
    static CSwitchBench bench;
    return bench;
}

void BM_RaceSwitchClick(benchmark::State& state)
{
    CSwitchBench& bench = Bench();
    if (!bench.Ready()) {
        state.SkipWithError("the published day is not here");
        return;
    }
    CKeluView& view = bench.View();
    QTest::mouseClick(view.m_pRaceButton[bench.NextRace() - 1], Qt::LeftButton);
    if (!bench.GridsShowTheRace()) {
        state.SkipWithError("the click did not show the race");
        return;
    }
    for (auto _ : state) {
        QTest::mouseClick(view.m_pRaceButton[bench.NextRace() - 1], Qt::LeftButton);
        state.PauseTiming();
        bench.Paint();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RaceSwitchClick)->Unit(benchmark::kMicrosecond)->Repetitions(5);

// The same click with the window painted afterwards, as the user sees it: the paint of both
// grids, the titles and the buttons that changed, into the offscreen platform's backing store.
void BM_RaceSwitchClickPainted(benchmark::State& state)
{
    CSwitchBench& bench = Bench();
    if (!bench.Ready()) {
        state.SkipWithError("the published day is not here");
        return;
    }
    CKeluView& view = bench.View();
    for (auto _ : state) {
        QTest::mouseClick(view.m_pRaceButton[bench.NextRace() - 1], Qt::LeftButton);
        bench.Paint();
    }
}
BENCHMARK(BM_RaceSwitchClickPainted)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_ShowProgramGrid(benchmark::State& state)
{
    CSwitchBench& bench = Bench();
    if (!bench.Ready()) {
        state.SkipWithError("the published day is not here");
        return;
    }
    CKeluView& view = bench.View();
    CKeluDoc& doc = bench.Doc();
    for (auto _ : state) {
        doc.SetSelection(0, bench.NextRace());
        view.ShowProgramGrid();
        state.PauseTiming();
        bench.Paint();
        state.ResumeTiming();
    }
    if (!bench.GridsShowTheRace())
        state.SkipWithError("the grids do not show the race");
}
BENCHMARK(BM_ShowProgramGrid)->Unit(benchmark::kMicrosecond)->Repetitions(5);

} // namespace

KELU_RATIO("next race by its button vs ShowProgramGrid alone", "BM_RaceSwitchClick", "BM_ShowProgramGrid", 1.5);
KELU_LIMIT("next race by its button", "BM_RaceSwitchClick", 2.0);
KELU_RATIO("next race by its button, painted, vs ShowProgramGrid", "BM_RaceSwitchClickPainted", "BM_ShowProgramGrid");
