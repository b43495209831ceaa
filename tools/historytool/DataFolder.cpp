#include "historytool/DataFolder.h"

#include <unistd.h>

#include <cstdlib>

namespace fs = std::filesystem;

CDataFolder::~CDataFolder()
{
    std::error_code ec;
    if (!m_link.empty())
        fs::remove_all(m_link.parent_path(), ec);
}

bool CDataFolder::Enter(const std::string& strDir, std::string& strError)
{
    std::error_code ec;
    const fs::path dir = fs::canonical(strDir, ec);
    if (ec || !fs::is_directory(dir) || access(dir.c_str(), R_OK | X_OK) != 0) {
        strError = "データフォルダ " + strDir + " を読めません";
        return false;
    }
    if (dir.filename() == "data") {
        fs::current_path(dir.parent_path(), ec);
    } else {
        std::string pattern = (fs::temp_directory_path(ec) / "kelu-history-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            strError = "作業フォルダを作れません";
            return false;
        }
        m_link = fs::path(pattern) / "data";
        m_strReal = strDir;
        while (m_strReal.size() > 1 && m_strReal.back() == '/')
            m_strReal.pop_back();
        fs::create_directory_symlink(dir, m_link, ec);
        if (!ec)
            fs::current_path(pattern, ec);
    }
    if (ec)
        strError = "データフォルダ " + strDir + " に移れません: " + ec.message();
    return !ec;
}

std::string CDataFolder::Real(std::string strText) const
{
    if (m_link.empty())
        return strText;
    // "data/res/K210503.TXT" and "data/history.sqlite" as the program names them.
    for (size_t nPos = 0; (nPos = strText.find("data/", nPos)) != std::string::npos;) {
        const bool bStart = nPos == 0 || strText[nPos - 1] == ' ' || strText[nPos - 1] == '\n';
        if (!bStart) {
            nPos += 5;
            continue;
        }
        strText.replace(nPos, 4, m_strReal);
        nPos += m_strReal.size() + 1;
    }
    return strText;
}
