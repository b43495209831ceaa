#pragma once
// The surface a printed page is drawn on. Its logical units are tenths of a millimetre with y
// growing upward, as a printer's low-metric mapping mode gives them, so a template written in
// millimetres from the top edge of the paper lands on negative y. The printer and its preview
// draw through a QPainter (print/PainterDC.h); the tests draw on a surface that records every
// call (print/RecordingDC.h).

#include "platform/String.h"

// A font as the templates make them: the cell height, not the character height, is asked for.
struct CLogFont {
    int nHeight = 0; // cell height in logical units
    int nWeight = 400;
    bool bItalic = false;
    bool bUnderline = false;
    CString strFaceName; // Shift-JIS, such as "ＭＳ Ｐゴシック"
};

class CDC {
public:
    // The mapping mode of tenths of a millimetre, y up: the only one Kelu draws in.
    static constexpr int MM_LOMETRIC = 2;
    // Device capabilities, by the numbers a printer driver answers to.
    static constexpr int LOGPIXELSX = 88;      // pixels per inch across
    static constexpr int LOGPIXELSY = 90;      // pixels per inch down
    static constexpr int PHYSICALWIDTH = 110;  // the paper's width in pixels
    static constexpr int PHYSICALHEIGHT = 111; // the paper's height in pixels
    static constexpr int PHYSICALOFFSETX = 112; // from the paper's left edge to the printable area
    static constexpr int PHYSICALOFFSETY = 113; // from the paper's top edge to the printable area

    virtual ~CDC() = default;

    virtual void SetMapMode(int nMapMode) = 0;
    // Where logical (0, 0) lies, in device pixels from the printable area's top-left corner.
    virtual void SetViewportOrg(int x, int y) = 0;
    // A capability above; 0 for any other index.
    virtual int GetDeviceCaps(int nIndex) const = 0;
    // The font of the texts and measurements that follow; the surface keeps its own copy.
    virtual void SelectFont(const CLogFont& font) = 0;
    virtual void MoveTo(int x, int y) = 0;
    // A line with the thin default pen from the current position, which then moves to (x, y).
    virtual void LineTo(int x, int y) = 0;
    // The text with the top-left corner of its first character cell at (x, y).
    virtual void TextOut(int x, int y, const CString& strText) = 0;
    // The advance width of the text in the current font, in logical units.
    virtual int GetTextExtent(const CString& strText) = 0;
};
