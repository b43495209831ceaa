#pragma once
// The document side of the open and save commands. Kelu's document is never stored in a file
// of its own: opening reads nothing and saving writes an empty file, so the archive only
// carries the file and its direction.

#include <cstdio>

class CArchive {
public:
    CArchive(std::FILE* pFile, bool bStoring) : m_pFile(pFile), m_bStoring(bStoring) {}
    bool IsStoring() const { return m_bStoring; }
    bool IsLoading() const { return !m_bStoring; }
    std::FILE* GetFile() const { return m_pFile; }

private:
    std::FILE* m_pFile;
    bool m_bStoring;
};

class CDocument {
public:
    virtual ~CDocument() = default;
    // Called by the new-document command before the view is set up again.
    virtual bool OnNewDocument() { return true; }
    virtual void Serialize(CArchive& ar) { (void)ar; }
};
