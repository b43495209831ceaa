#include "TestDir.h"

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

std::string SharedDataDir()
{
#ifdef KELU_SHARED_DATA_DIR
    if (fs::is_directory(KELU_SHARED_DATA_DIR))
        return KELU_SHARED_DATA_DIR;
#endif
    return {};
}

std::string NoSharedDataReason()
{
#ifdef KELU_SHARED_DATA_DIR
    return "the published day files are not in " KELU_SHARED_DATA_DIR " (../shared/data beside the project)";
#else
    return "the build names no folder of published day files";
#endif
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
