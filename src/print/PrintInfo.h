#pragma once
// What the print and preview machinery tells the view about the job in progress, and what the
// view tells it back: the pages the job may have, the ones chosen, the page being drawn, and
// whether to go on.

#include <algorithm>
#include <string>
#include <vector>

struct CPrintInfo {
    int GetMinPage() const { return m_nMinPage; }
    void SetMinPage(int nPage) { m_nMinPage = nPage; }
    int GetMaxPage() const { return m_nMaxPage; }
    void SetMaxPage(int nPage) { m_nMaxPage = nPage; }

    bool m_bPreview = false;
    // Cleared by the view to end the job before its first page.
    bool m_bContinuePrinting = true;
    // The page being drawn, from 1.
    int m_nCurPage = 1;
    int m_nMinPage = 1;
    int m_nMaxPage = 0xFFFF;

    // The templates the job's pages could not read, each once: the user hears of them once a
    // job, however often its pages are drawn.
    std::vector<std::string> m_missingTemplates;
    bool m_bMissingTold = false;
    void NoteMissingTemplate(const char* pszPath)
    {
        if (std::find(m_missingTemplates.begin(), m_missingTemplates.end(), pszPath) == m_missingTemplates.end())
            m_missingTemplates.emplace_back(pszPath);
    }
};
