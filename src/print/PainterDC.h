#pragma once
// The device context of a printed page: the template's drawing calls, in tenths of a
// millimetre with y up, drawn through a QPainter on a printer, the print preview or an image.
// Text stays upright: coordinates are converted, the painter is never flipped. The Japanese
// faces the templates name reach the IPA fonts through the font substitutions of the program.

#include "print/DC.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QList>
#include <QPointF>

#include <map>
#include <optional>
#include <tuple>

class QPaintDevice;
class QPainter;

class CPainterDC : public CDC {
public:
    // Draws with pPainter, which paints on pDevice. Without a painter the device context only
    // answers questions (capabilities, text widths), as a printer's does before its job starts.
    CPainterDC(QPaintDevice* pDevice, QPainter* pPainter);

    void SetMapMode(int nMapMode) override;
    void SetViewportOrg(int x, int y) override;
    int GetDeviceCaps(int nIndex) const override;
    void SelectFont(const CLogFont& font) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, const CString& strText) override;
    int GetTextExtent(const CString& strText) override;

    // The font the last SelectFont made, sized for the device.
    const QFont& CurrentFont() const { return m_font; }
    // A logical point in device pixels.
    QPointF ToDevice(int x, int y) const;

private:
    QPaintDevice* m_pDevice;
    QPainter* m_pPainter;
    double m_dPixelsX; // device pixels per logical unit
    double m_dPixelsY;
    int m_nViewportX = 0;
    int m_nViewportY = 0;
    QFont m_font;
    double m_dAscent = 0; // of m_font on the device, in pixels
    QPointF m_current;
    // An aligned text is measured and then drawn: it is laid out once for both.
    struct CLaidOut {
        std::string strBytes;
        QList<QGlyphRun> runs;
        double dWidth = 0;
    };
    std::optional<CLaidOut> m_laidOut;
    // The fonts made so far, by face, cell height, italic and underline: a page says the same
    // FONT line many times over.
    struct CMadeFont {
        QFont font;
        QFontMetricsF metrics;
    };
    std::map<std::tuple<std::string, int, bool, bool>, CMadeFont> m_fonts;
    const CLaidOut& LayOut(const CString& strText);
};
