#pragma once
// A temporary working folder for a benchmark's files, removed when the program ends. The day
// files are named relative to the working directory, and another benchmark may have moved it:
// each benchmark steps back in with Enter before it runs.

#include <filesystem>
#include <stdexcept>
#include <string>

#include <stdlib.h>

namespace benchfolder {

class CBenchFolder {
public:
    explicit CBenchFolder(const char* pszPrefix)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(pszPrefix) + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary directory");
        m_strDir = pattern;
        Enter();
    }
    ~CBenchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_strDir, ec);
    }
    CBenchFolder(const CBenchFolder&) = delete;
    CBenchFolder& operator=(const CBenchFolder&) = delete;

    void Enter() const { std::filesystem::current_path(m_strDir); }
    const std::string& Path() const { return m_strDir; }

private:
    std::string m_strDir;
};

} // namespace benchfolder
