#include "BenchYear.h"

#include "DayFixture.h"
#include "model/KeluDoc.h"
#include "record/PredictionRecord.h"

#include <sys/resource.h>

#include <filesystem>
#include <string>

namespace benchyear {

namespace {

namespace fs = std::filesystem;

std::vector<std::string> PublishedDays()
{
    std::vector<std::string> tags;
    for (const char* tag : {"200101", "200105", "200106", "200108"})
        if (fs::exists(fs::path(KELU_SHARED_DATA_DIR) / (std::string("B") + tag + ".TXT")))
            tags.push_back(tag);
    return tags;
}

} // namespace

CYearOfDays::CYearOfDays() : CBenchFolder("kelu-bench-year")
{
    const std::vector<std::string> published = PublishedDays();
    for (int i = 0; i < 365; ++i) {
        const CTime day = CTime(2021, 1, 1, 12, 0, 0).AddDays(i);
        if (published.empty()) {
            fixture::WriteStandardDay(day, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
            continue;
        }
        const std::string& tag = published[static_cast<size_t>(i) % published.size()];
        fs::create_directories("data/prog");
        fs::create_directories("data/res");
        fs::copy_file(fs::path(KELU_SHARED_DATA_DIR) / ("B" + tag + ".TXT"), CKeluDoc::ProgramFileName(day).Str());
        fs::copy_file(fs::path(KELU_SHARED_DATA_DIR) / ("K" + tag + ".TXT"), CKeluDoc::ResultFileName(day).Str());
    }
    m_days = FindRecordedDays();
}

double ProcessCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

const CYearOfDays& Year()
{
    static const CYearOfDays year;
    year.Enter();
    return year;
}

} // namespace benchyear
