#pragma once
// Draws a print template, a text file of drawing commands one per line, on a device context.
// The whole layout of a printed page lives in such files (data/yftpl.txt and the others), so
// a sheet is changed by editing text, not the program.
//
// A line is TAB-separated fields: a keyword, then its arguments. Keywords ignore case and have
// a long and a short form: LINE/LI x1 y1 x2 y2, BOX/BX x1 y1 x2 y2, TEXT/TX x y text,
// ALIGNTEXT/AT x y width align text (align B, M or E), FONT/FN size face style (face M or G,
// style letters I and U), NEWPAGE/NP and IMAGE/IM (recognised, drawing nothing). Any other
// line is skipped, which is how blank lines and notes are written. Coordinates are millimetres
// from the paper's top-left corner, y downward; sizes are points.

#include "platform/String.h"

class CDC;

class CTemplateRenderer {
public:
    CTemplateRenderer();
    virtual ~CTemplateRenderer();
    CTemplateRenderer(const CTemplateRenderer&) = delete;
    CTemplateRenderer& operator=(const CTemplateRenderer&) = delete;

    // Draws the template at strPath (relative to the working directory; "data\kftpl.txt" is
    // data/kftpl.txt). With pDC the page is set up on it first; without, the drawing goes to
    // the device context of the last call. False, having drawn nothing, when the file cannot
    // be opened or no device context was ever given.
    bool PrintTemplate(const CString& strPath, CDC* pDC = nullptr);
    // Makes pDC the surface: 0.1 mm units with y up, logical (0, 0) at the paper's corner
    // whatever the printer's unprintable margins, and the font back to 12 points
    // "ＭＳ Ｐゴシック", upright and not underlined.
    void SetupPage(CDC* pDC);

    // The commands, each given the argument part of its line (what follows the keyword's TAB).
    void DrawLine(const CString& strArgs);
    void DrawBox(const CString& strArgs);
    void DrawText(const CString& strArgs);
    void DrawAlignedText(const CString& strArgs);
    void SelectTemplateFont(const CString& strArgs);

    // Argument n (from 1) of the argument part; the first empty argument ends the line.
    static CString GetField(const CString& strArgs, int n);
    // Millimetres to logical units, truncated toward zero; y is negated because the device's
    // y axis points up.
    static int ToX(const CString& strNumber);
    static int ToY(const CString& strNumber);
    // The cell height of the current size in logical units: trunc(points x 3.5).
    int FontHeight() const;

    const CString& GetFaceName() const { return m_strFaceName; }
    double GetFontSize() const { return m_dFontSize; }

private:
    void InterpretLine(const CString& strLine);
    void TextAt(int x, int y, const CString& strText);

    CString m_strFaceName;
    double m_dFontSize;
    CDC* m_pDC = nullptr; // not owned
};
