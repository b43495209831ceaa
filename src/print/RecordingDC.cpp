#include "print/RecordingDC.h"

#include "platform/Sjis.h"

#include <algorithm>
#include <limits>

CRecordingDC::CRecordingDC(int nDpi, int nWidth, int nHeight, int nOffsetX, int nOffsetY)
    : m_nDpi(nDpi)
    , m_nWidth(nWidth)
    , m_nHeight(nHeight)
    , m_nOffsetX(nOffsetX)
    , m_nOffsetY(nOffsetY)
{
}

void CRecordingDC::Record(EKind eKind, int x, int y, const CString& strText, const CLogFont& font)
{
    CCall call;
    call.eKind = eKind;
    call.x = x;
    call.y = y;
    call.strText = strText;
    call.font = font;
    m_calls.push_back(call);
}

void CRecordingDC::SetMapMode(int nMapMode)
{
    Record(EKind::MapMode, nMapMode, 0);
}

void CRecordingDC::SetViewportOrg(int x, int y)
{
    Record(EKind::ViewportOrg, x, y);
}

int CRecordingDC::GetDeviceCaps(int nIndex) const
{
    switch (nIndex) {
    case LOGPIXELSX:
    case LOGPIXELSY:
        return m_nDpi;
    case PHYSICALWIDTH:
        return m_nWidth;
    case PHYSICALHEIGHT:
        return m_nHeight;
    case PHYSICALOFFSETX:
        return m_nOffsetX;
    case PHYSICALOFFSETY:
        return m_nOffsetY;
    default:
        return 0;
    }
}

void CRecordingDC::SelectFont(const CLogFont& font)
{
    m_font = font;
    Record(EKind::Font, 0, 0, CString(), font);
}

void CRecordingDC::MoveTo(int x, int y)
{
    Record(EKind::MoveTo, x, y);
}

void CRecordingDC::LineTo(int x, int y)
{
    Record(EKind::LineTo, x, y);
}

void CRecordingDC::TextOut(int x, int y, const CString& strText)
{
    Record(EKind::Text, x, y, strText);
}

int CRecordingDC::GetTextExtent(const CString& strText)
{
    // A long text in a huge font is held at the range's end, as the renderer's numbers are.
    const long long nExtent = static_cast<long long>(strText.GetLength()) * m_font.nHeight / 2;
    return static_cast<int>(std::clamp<long long>(nExtent, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

namespace {

std::string Describe(const CRecordingDC::CCall& c)
{
    using EKind = CRecordingDC::EKind;
    const std::string xy = std::to_string(c.x) + "," + std::to_string(c.y);
    switch (c.eKind) {
    case EKind::MapMode:
        return "MapMode " + std::to_string(c.x);
    case EKind::ViewportOrg:
        return "ViewportOrg " + xy;
    case EKind::Font: {
        std::string s = "Font " + std::to_string(c.font.nHeight) + " " + SjisToUtf8(c.font.strFaceName.Str()) + " w" +
                        std::to_string(c.font.nWeight);
        if (c.font.bItalic)
            s += " italic";
        if (c.font.bUnderline)
            s += " underline";
        return s;
    }
    case EKind::MoveTo:
        return "MoveTo " + xy;
    case EKind::LineTo:
        return "LineTo " + xy;
    case EKind::Text:
        return "Text " + xy + " " + SjisToUtf8(c.strText.Str());
    }
    return std::string();
}

} // namespace

std::vector<std::string> CRecordingDC::Lines() const
{
    std::vector<std::string> lines;
    for (const CCall& c : m_calls)
        lines.push_back(Describe(c));
    return lines;
}

std::vector<std::string> CRecordingDC::Lines(EKind eKind) const
{
    std::vector<std::string> lines;
    for (const CCall& c : m_calls)
        if (c.eKind == eKind)
            lines.push_back(Describe(c));
    return lines;
}
