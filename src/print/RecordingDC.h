#pragma once
// A drawing surface that draws nothing and remembers every call in logical units, so that what
// a template puts on the page can be read back exactly. Texts are measured without fonts: each
// byte is half a cell wide, so a full-width character is as wide as its cell is high.

#include "print/DC.h"

#include <string>
#include <vector>

class CRecordingDC : public CDC {
public:
    enum class EKind { MapMode, ViewportOrg, Font, MoveTo, LineTo, Text };
    struct CCall {
        EKind eKind = EKind::MapMode;
        int x = 0; // the mapping mode for MapMode
        int y = 0;
        CString strText; // Text only
        CLogFont font;   // Font only
    };

    // A printer of nDpi pixels per inch holding paper of nWidth x nHeight pixels, whose
    // printable area starts nOffsetX, nOffsetY pixels in from the paper's corner. The default
    // is A4 portrait at 600 pixels per inch, printable to the edges.
    explicit CRecordingDC(int nDpi = 600, int nWidth = 4960, int nHeight = 7016, int nOffsetX = 0, int nOffsetY = 0);

    void SetMapMode(int nMapMode) override;
    void SetViewportOrg(int x, int y) override;
    int GetDeviceCaps(int nIndex) const override;
    void SelectFont(const CLogFont& font) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, const CString& strText) override;
    int GetTextExtent(const CString& strText) override;

    const std::vector<CCall>& Calls() const { return m_calls; }
    // The calls as lines of UTF-8 text, one per call: "MapMode 2", "ViewportOrg -50,-60",
    // "Font 42 ＭＳ Ｐゴシック w400", with " italic" and " underline" when set, "MoveTo 10,-20",
    // "LineTo 30,-40", "Text 10,-158 abc".
    std::vector<std::string> Lines() const;
    // Only the lines of one kind of call.
    std::vector<std::string> Lines(EKind eKind) const;
    void Clear() { m_calls.clear(); }

private:
    void Record(EKind eKind, int x, int y, const CString& strText = CString(), const CLogFont& font = CLogFont());

    int m_nDpi;
    int m_nWidth;
    int m_nHeight;
    int m_nOffsetX;
    int m_nOffsetY;
    CLogFont m_font;
    std::vector<CCall> m_calls;
};
