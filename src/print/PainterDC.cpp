#include "print/PainterDC.h"

#include "platform/gui/QtText.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kUnitsPerInch = 254.0; // tenths of a millimetre

// The thin pen of a page. One device pixel, the thin pen of a printer's own drawing, all but
// vanishes at 1200 dpi, so a rule is never thinner than a tenth of a millimetre.
constexpr double kPenWidthUnits = 1.0;

// A cell height the device is asked for at most: a font taller than a metre is a slip in a
// template, and the font engine would spend long on it.
constexpr int kMaxCellUnits = 10000;

// The cell (ascent plus descent) of a face as a multiple of its em. The templates ask for the
// cell height; Qt sizes a font by its em.
double CellPerEm(const QFont& font)
{
    static QHash<QString, double> cache;
    const QString strKey = font.family();
    const auto it = cache.constFind(strKey);
    if (it != cache.constEnd())
        return *it;
    QFont probe(font);
    probe.setPixelSize(1000);
    const QFontMetricsF metrics(probe);
    const double dRatio = metrics.height() > 0 ? metrics.height() / 1000.0 : 1.0;
    cache.insert(strKey, dRatio);
    return dRatio;
}

// The text for Qt. Most texts of a page are numbers: plain ASCII, which Shift-JIS shares, goes
// straight across without the converter.
QString PageText(const CString& strText)
{
    const std::string& s = strText.Str();
    const bool bAscii = std::all_of(s.begin(), s.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    return bAscii ? QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())) : ToQString(strText);
}

} // namespace

CPainterDC::CPainterDC(QPaintDevice* pDevice, QPainter* pPainter)
    : m_pDevice(pDevice)
    , m_pPainter(pPainter)
    , m_dPixelsX(pDevice->logicalDpiX() / kUnitsPerInch)
    , m_dPixelsY(pDevice->logicalDpiY() / kUnitsPerInch)
{
    if (m_pPainter) {
        QPen pen(Qt::black);
        pen.setWidthF(std::max(1.0, kPenWidthUnits * m_dPixelsX));
        pen.setCapStyle(Qt::SquareCap);
        pen.setJoinStyle(Qt::MiterJoin);
        m_pPainter->setPen(pen);
    }
}

void CPainterDC::SetMapMode(int nMapMode)
{
    // Every page is drawn in tenths of a millimetre; there is no other mode to switch to.
    (void)nMapMode;
}

void CPainterDC::SetViewportOrg(int x, int y)
{
    m_nViewportX = x;
    m_nViewportY = y;
}

int CPainterDC::GetDeviceCaps(int nIndex) const
{
    const auto* pPrinter = dynamic_cast<const QPrinter*>(m_pDevice);
    switch (nIndex) {
    case LOGPIXELSX:
        return m_pDevice->logicalDpiX();
    case LOGPIXELSY:
        return m_pDevice->logicalDpiY();
    case PHYSICALWIDTH:
        return pPrinter ? qRound(pPrinter->paperRect(QPrinter::DevicePixel).width()) : m_pDevice->width();
    case PHYSICALHEIGHT:
        return pPrinter ? qRound(pPrinter->paperRect(QPrinter::DevicePixel).height()) : m_pDevice->height();
    case PHYSICALOFFSETX:
    case PHYSICALOFFSETY: {
        // A printer that draws on the full page has its origin at the paper's corner.
        if (!pPrinter || pPrinter->fullPage())
            return 0;
        const QPointF offset = pPrinter->pageRect(QPrinter::DevicePixel).topLeft() -
                               pPrinter->paperRect(QPrinter::DevicePixel).topLeft();
        return qRound(nIndex == PHYSICALOFFSETX ? offset.x() : offset.y());
    }
    default:
        return 0;
    }
}

QPointF CPainterDC::ToDevice(int x, int y) const
{
    return QPointF(m_nViewportX + x * m_dPixelsX, m_nViewportY - y * m_dPixelsY);
}

void CPainterDC::SelectFont(const CLogFont& font)
{
    const int nCell = std::clamp(font.nHeight, 1, kMaxCellUnits);
    const auto key = std::make_tuple(font.strFaceName.Str(), nCell, font.bItalic, font.bUnderline);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end()) {
        QFont qfont(ToQString(font.strFaceName));
        qfont.setItalic(font.bItalic);
        qfont.setUnderline(font.bUnderline);
        qfont.setWeight(font.nWeight >= 600 ? QFont::Bold : QFont::Normal);
        const double dEmPixels = nCell * m_dPixelsY / CellPerEm(qfont);
        qfont.setPointSizeF(dEmPixels * 72.0 / m_pDevice->logicalDpiY());
        it = m_fonts.emplace(key, CMadeFont{qfont, QFontMetricsF(qfont, m_pDevice)}).first;
    }
    m_font = it->second.font;
    m_dAscent = it->second.metrics.ascent();
    m_laidOut.reset();
    if (m_pPainter)
        m_pPainter->setFont(m_font);
}

void CPainterDC::MoveTo(int x, int y)
{
    m_current = ToDevice(x, y);
}

void CPainterDC::LineTo(int x, int y)
{
    const QPointF to = ToDevice(x, y);
    if (m_pPainter)
        m_pPainter->drawLine(m_current, to);
    m_current = to;
}

void CPainterDC::TextOut(int x, int y, const CString& strText)
{
    if (!m_pPainter || strText.IsEmpty())
        return;
    const QPointF topLeft = ToDevice(x, y);
    if (m_laidOut && m_laidOut->strBytes == strText.Str()) {
        // The glyphs sit on the layout's baseline, one ascent below its top.
        for (const QGlyphRun& run : m_laidOut->runs)
            m_pPainter->drawGlyphRun(topLeft, run);
        return;
    }
    m_pPainter->drawText(QPointF(topLeft.x(), topLeft.y() + m_dAscent), PageText(strText));
}

const CPainterDC::CLaidOut& CPainterDC::LayOut(const CString& strText)
{
    if (m_laidOut && m_laidOut->strBytes == strText.Str())
        return *m_laidOut;
    QTextLayout layout(PageText(strText), m_font, m_pDevice);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    m_laidOut = CLaidOut{strText.Str(), layout.glyphRuns(), line.isValid() ? line.horizontalAdvance() : 0.0};
    return *m_laidOut;
}

int CPainterDC::GetTextExtent(const CString& strText)
{
    return qRound(LayOut(strText).dWidth / m_dPixelsX);
}
