#include "TestDir.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

void CTempDirListener::OnTestStart(const ::testing::TestInfo&)
{
    m_strOld = fs::current_path().string();
    std::string pattern = (fs::temp_directory_path() / "kelu-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary directory");
    m_strTemp = pattern;
    fs::current_path(m_strTemp);
}

void CTempDirListener::OnTestEnd(const ::testing::TestInfo&)
{
    fs::current_path(m_strOld);
    std::error_code ec;
    fs::permissions(m_strTemp, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_strTemp, ec);
}

namespace {

// Where the published days are looked for: KELU_SHARED_DATA when it is set, so that a run can
// be made as on a machine without them, else ../shared/data beside the project.
std::string SharedDataPlace()
{
    if (const char* pszDir = std::getenv("KELU_SHARED_DATA"))
        return pszDir;
#ifdef KELU_SHARED_DATA_DIR
    return KELU_SHARED_DATA_DIR;
#else
    return {};
#endif
}

} // namespace

std::string SharedDataDir()
{
    const std::string dir = SharedDataPlace();
    return !dir.empty() && fs::is_directory(dir) ? dir : std::string();
}

std::string NoSharedDataReason()
{
    // One text for every test that needs them, so that a run can count its skips by reason.
    return "the published days are missing (no folder " + SharedDataPlace() + ")";
}

bool CopySharedDayFile(const std::string& name, const std::string& destination)
{
    const std::string dir = SharedDataDir();
    if (dir.empty() || !fs::exists(fs::path(dir) / name))
        return false;
    fs::create_directories(fs::path(destination).parent_path());
    fs::copy_file(fs::path(dir) / name, destination, fs::copy_options::overwrite_existing);
    return true;
}

} // namespace testsupport
