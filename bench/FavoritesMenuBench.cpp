// What the watched-racer menu costs beyond the search it needs: rebuilding the racers'
// submenus of the real frame for 256 watched racers on a full published day (reading the list,
// the searches, the tables, the submenus and their items), against the 256 searches alone.
// Once as the menu is rebuilt when nothing it shows has changed (after a dialog, or on opening
// it again), once with every submenu showing another racer than before (the list reversed at
// every rebuild), which costs what a change of day costs the menu.

#include "BenchApp.h"
#include "BenchRatio.h"
#include "frame/MainFrame.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "res/resource.h"
#include "view/KeluView.h"


#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const CTime kDay(2020, 1, 5, 12, 0, 0); // 20 venues, results of every race
constexpr int kWatched = 256;

// The program folder of the run: the day's files and the list, in a temporary folder that
// every measurement works in.
class CMenuBench {
public:
    CMenuBench()
    {
        benchapp::EnsureApplication();
        std::string dir = (fs::temp_directory_path() / "kelu-bench-XXXXXX").string();
        if (!mkdtemp(dir.data()))
            return;
        m_dir = dir;
        const fs::path shared(KELU_SHARED_DATA_DIR);
        std::error_code ec;
        fs::create_directories(m_dir / "data/prog", ec);
        fs::create_directories(m_dir / "data/res", ec);
        fs::copy_file(shared / "B200105.TXT", m_dir / "data/prog/B200105.TXT", ec);
        fs::copy_file(shared / "K200105.TXT", m_dir / "data/res/K200105.TXT", ec);

        const CWorkIn here(m_dir);
        m_pDoc = std::make_unique<CKeluDoc>();
        if (!m_pDoc->LoadDay(kDay))
            return;
        m_numbers = WatchedRacers();
        std::ofstream list("data/favorite.txt", std::ios::binary);
        for (int n : m_numbers)
            list << n << "\t\r\n";
        list.close();

        m_pFrame = std::make_unique<CMainFrame>();
        m_pFrame->OnCreate();
        m_pView = new CKeluView(m_pDoc.get(), m_pFrame->GetRouter(), m_pFrame.get());
        m_pFrame->SetView(m_pView, m_pView, nullptr);
        // The first build writes the names into the list, as the first opening of the menu does.
        Rebuild();
        WriteOrders();
    }
    ~CMenuBench()
    {
        m_pFrame.reset();
        std::error_code ec;
        if (!m_dir.empty())
            fs::remove_all(m_dir, ec);
    }

    bool Ready() const { return m_numbers.size() == static_cast<size_t>(kWatched); }
    const fs::path& Dir() const { return m_dir; }
    CKeluDoc& Doc() { return *m_pDoc; }
    const std::vector<int>& Numbers() const { return m_numbers; }
    // Puts the list in its given or its reversed order, without a rebuild.
    void UseOrder(bool bReversed)
    {
        const char* pszNext = "data/favorite.next";
        unlink(pszNext);
        link(bReversed ? "data/reversed.txt" : "data/given.txt", pszNext);
        rename(pszNext, "data/favorite.txt");
    }
    void Rebuild()
    {
        m_pView->m_bMenuStale = true;
        CCmdUI ui(ID_FAVORITE_ADD);
        m_pView->RebuildFavoritesMenu(ui);
    }

    // The folder is the working directory while the object lives.
    class CWorkIn {
    public:
        explicit CWorkIn(const fs::path& dir) : m_old(fs::current_path()) { fs::current_path(dir); }
        ~CWorkIn() { fs::current_path(m_old); }

    private:
        fs::path m_old;
    };

private:
    // The named list in its order and reversed, ready to be put in place.
    void WriteOrders()
    {
        const CWorkIn here(m_dir);
        std::ifstream in("data/favorite.txt", std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line + "\n");
        std::ofstream given("data/given.txt", std::ios::binary);
        std::ofstream reversed("data/reversed.txt", std::ios::binary);
        for (size_t i = 0; i < lines.size(); ++i) {
            given << lines[i];
            reversed << lines[lines.size() - 1 - i];
        }
    }

    // Racers of the day, taken evenly over its venues in file order, 256 of them.
    std::vector<int> WatchedRacers()
    {
        std::vector<int> all;
        std::set<int> seen;
        for (int v = 1; v < CKeluDoc::kVenues; ++v)
            for (int r = 1; r < CKeluDoc::kRaces && m_pDoc->HasRace(v, r); ++r) {
                m_pDoc->SetSelection(v, r);
                for (int b = 1; b <= 6; ++b) {
                    const int n = AtoI(m_pDoc->GetRegNo(b));
                    if (n > 0 && seen.insert(n).second)
                        all.push_back(n);
                }
            }
        m_pDoc->ClearSelection();
        std::vector<int> picked;
        for (size_t i = 0; i < all.size() && picked.size() < kWatched; i += all.size() / kWatched)
            picked.push_back(all[i]);
        return picked;
    }

    fs::path m_dir;
    std::unique_ptr<CKeluDoc> m_pDoc;
    std::vector<int> m_numbers;
    std::unique_ptr<CMainFrame> m_pFrame;
    CKeluView* m_pView = nullptr;
};

CMenuBench& Bench()
{
    static CMenuBench bench;
    return bench;
}

void BM_FavoritesMenuRebuild(benchmark::State& state)
{
    CMenuBench& bench = Bench();
    if (!bench.Ready()) {
        state.SkipWithError("the published day is not here");
        return;
    }
    const CMenuBench::CWorkIn here(bench.Dir());
    for (auto _ : state)
        bench.Rebuild();
}
BENCHMARK(BM_FavoritesMenuRebuild)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_FavoritesMenuRebuildAllChanged(benchmark::State& state)
{
    CMenuBench& bench = Bench();
    if (!bench.Ready()) {
        state.SkipWithError("the published day is not here");
        return;
    }
    const CMenuBench::CWorkIn here(bench.Dir());
    bool bReversed = false;
    for (auto _ : state) {
        // Putting the other list in place is the organize dialog's work, not the menu's.
        state.PauseTiming();
        bReversed = !bReversed;
        bench.UseOrder(bReversed);
        state.ResumeTiming();
        bench.Rebuild();
    }
    bench.UseOrder(false);
    bench.Rebuild();
}
BENCHMARK(BM_FavoritesMenuRebuildAllChanged)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_FindRacer256RealDay(benchmark::State& state)
{
    CMenuBench& bench = Bench();
    if (!bench.Ready()) {
        state.SkipWithError("the published day is not here");
        return;
    }
    for (auto _ : state)
        for (int n : bench.Numbers())
            benchmark::DoNotOptimize(bench.Doc().FindRacerOfDay(n));
}
BENCHMARK(BM_FindRacer256RealDay)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

KELU_RATIO("menu rebuild, 256 racers / their 256 searches", "BM_FavoritesMenuRebuild", "BM_FindRacer256RealDay",
           1.2);
KELU_RATIO("menu rebuild, all submenus changed / 256 searches", "BM_FavoritesMenuRebuildAllChanged",
           "BM_FindRacer256RealDay", 1.2);
