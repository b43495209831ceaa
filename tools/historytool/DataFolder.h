#pragma once
// The store finds every day file as data/prog, data/res and data/history.sqlite below the
// working directory: kelu-history moves to where the data folder is named "data", through a
// link of that name in a folder of its own when the folder is named otherwise. What it tells of
// a file names the file where the user keeps it, never the link.

#include <filesystem>
#include <string>

class CDataFolder {
public:
    ~CDataFolder();

    // False with the reason when the folder cannot be read.
    bool Enter(const std::string& strDir, std::string& strError);
    // The text with every path under the link's "data/" named by the real folder.
    std::string Real(std::string strText) const;

private:
    std::filesystem::path m_link;
    std::string m_strReal; // the folder as the user named it, without a trailing "/"
};
