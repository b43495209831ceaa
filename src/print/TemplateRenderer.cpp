#include "print/TemplateRenderer.h"

#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/TabField.h"
#include "platform/TextFile.h"
#include "print/DC.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct CCommand {
    const char* pszLong;
    const char* pszShort;
    void (CTemplateRenderer::*pfnHandler)(const CString& strArgs); // null: recognised, ignored
};

const CCommand kCommands[] = {
    {"LINE", "LI", &CTemplateRenderer::DrawLine},
    {"BOX", "BX", &CTemplateRenderer::DrawBox},
    {"TEXT", "TX", &CTemplateRenderer::DrawText},
    {"ALIGNTEXT", "AT", &CTemplateRenderer::DrawAlignedText},
    {"FONT", "FN", &CTemplateRenderer::SelectTemplateFont},
    // A page is one printed page whatever its template says, and pictures are not drawn.
    {"NEWPAGE", "NP", nullptr},
    {"IMAGE", "IM", nullptr},
};

const CString& FaceGothic()
{
    static const CString s = Sjis("ＭＳ ゴシック");
    return s;
}

const CString& FacePGothic()
{
    static const CString s = Sjis("ＭＳ Ｐゴシック");
    return s;
}

const CString& FacePMincho()
{
    static const CString s = Sjis("ＭＳ Ｐ明朝");
    return s;
}

constexpr double kInitialSize = 12.0;
constexpr double kCellPerPoint = 3.5; // tenths of a millimetre of cell height per point

// Truncates toward zero. A number beyond the device's range (a template may say 1e300) is
// held at the range's end instead of overflowing the conversion.
int Truncate(double d)
{
    constexpr double kMax = std::numeric_limits<int>::max();
    constexpr double kMin = std::numeric_limits<int>::min();
    if (std::isnan(d))
        return 0;
    if (d >= kMax)
        return std::numeric_limits<int>::max();
    if (d <= kMin)
        return std::numeric_limits<int>::min();
    return static_cast<int>(d);
}

// A position worked out from others, held at the device's range like the numbers it comes
// from: a text aligned or lowered past the range's end must not wrap round to the other side.
int Saturate(long long n)
{
    return static_cast<int>(std::clamp<long long>(n, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The first N arguments of a line, cut in one pass.
template <int N>
struct CArgs {
    explicit CArgs(const CString& strArgs) { SplitTabFields(strArgs, a, N); }
    const CString& operator[](int n) const { return a[n - 1]; }
    CString a[N];
};

} // namespace

CTemplateRenderer::CTemplateRenderer()
    : m_strFaceName(FaceGothic())
    , m_dFontSize(kInitialSize)
{
}

CTemplateRenderer::~CTemplateRenderer() = default;

bool CTemplateRenderer::PrintTemplate(const CString& strPath, CDC* pDC)
{
    if (pDC)
        SetupPage(pDC);
    if (!m_pDC)
        return false;
    CTextFile file;
    if (!file.Open(DiskPath(strPath).GetString(), CTextFile::modeRead))
        return false;
    CString strLine;
    while (file.ReadString(strLine))
        InterpretLine(strLine);
    return true;
}

void CTemplateRenderer::SetupPage(CDC* pDC)
{
    m_pDC = pDC;
    m_pDC->SetMapMode(CDC::MM_LOMETRIC);
    SelectTemplateFont("12\tg");
    const int nOffsetX = m_pDC->GetDeviceCaps(CDC::PHYSICALOFFSETX);
    const int nOffsetY = m_pDC->GetDeviceCaps(CDC::PHYSICALOFFSETY);
    m_pDC->SetViewportOrg(-nOffsetX, -nOffsetY);
}

void CTemplateRenderer::InterpretLine(const CString& strLine)
{
    // A TAB is never part of a Shift-JIS character, so the bytes are split as they are.
    const size_t nTab = strLine.Str().find('\t');
    const bool bArgs = nTab != std::string::npos;
    CString strKeyword = bArgs ? strLine.Left(static_cast<int>(nTab)) : strLine;
    const CString strArgs = bArgs ? strLine.Mid(static_cast<int>(nTab) + 1) : CString();
    strKeyword.MakeUpper();
    for (const CCommand& c : kCommands) {
        if (strKeyword == c.pszLong || strKeyword == c.pszShort) {
            if (c.pfnHandler)
                (this->*c.pfnHandler)(strArgs);
            return;
        }
    }
}

void CTemplateRenderer::DrawLine(const CString& strArgs)
{
    if (!m_pDC)
        return;
    const CArgs<4> args(strArgs);
    m_pDC->MoveTo(ToX(args[1]), ToY(args[2]));
    m_pDC->LineTo(ToX(args[3]), ToY(args[4]));
}

void CTemplateRenderer::DrawBox(const CString& strArgs)
{
    if (!m_pDC)
        return;
    const CArgs<4> args(strArgs);
    const int x1 = ToX(args[1]);
    const int y1 = ToY(args[2]);
    const int x2 = ToX(args[3]);
    const int y2 = ToY(args[4]);
    m_pDC->MoveTo(x1, y1);
    m_pDC->LineTo(x1, y2);
    m_pDC->LineTo(x2, y2);
    m_pDC->LineTo(x2, y1);
    m_pDC->LineTo(x1, y1);
}

void CTemplateRenderer::DrawText(const CString& strArgs)
{
    if (!m_pDC)
        return;
    const CArgs<3> args(strArgs);
    TextAt(ToX(args[1]), ToY(args[2]), args[3]);
}

void CTemplateRenderer::DrawAlignedText(const CString& strArgs)
{
    if (!m_pDC)
        return;
    const CArgs<5> args(strArgs);
    int x = ToX(args[1]);
    const int y = ToY(args[2]);
    const int nWidth = ToX(args[3]);
    CString strAlign = args[4];
    strAlign.MakeUpper();
    const CString& strText = args[5];
    // Only the exact codes align: "MIDDLE" is no "M". A text wider than its span starts left
    // of x; nothing is cut.
    if (strAlign == "M")
        x = Saturate(x + (static_cast<long long>(nWidth) - m_pDC->GetTextExtent(strText)) / 2);
    else if (strAlign == "E")
        x = Saturate(static_cast<long long>(x) + nWidth - m_pDC->GetTextExtent(strText));
    TextAt(x, y, strText);
}

void CTemplateRenderer::TextAt(int x, int y, const CString& strText)
{
    // The given y is the bottom of the character cell; the device places a text by the top.
    m_pDC->TextOut(x, Saturate(static_cast<long long>(y) + FontHeight()), strText);
}

void CTemplateRenderer::SelectTemplateFont(const CString& strArgs)
{
    if (!m_pDC)
        return;
    const CArgs<3> args(strArgs);
    const double dSize = AtoF(args[1]);
    if (dSize > 0)
        m_dFontSize = dSize;
    CString strFace = args[2];
    strFace.MakeUpper();
    if (strFace == "M")
        m_strFaceName = FacePMincho();
    else if (strFace == "G")
        m_strFaceName = FacePGothic();
    CString strStyle = args[3];
    strStyle.MakeUpper();

    CLogFont font;
    font.nHeight = FontHeight();
    font.bItalic = strStyle.Find('I') >= 0;
    font.bUnderline = strStyle.Find('U') >= 0;
    font.strFaceName = m_strFaceName;
    m_pDC->SelectFont(font);
}

CString CTemplateRenderer::GetField(const CString& strArgs, int n)
{
    return GetTabField(strArgs, n);
}

int CTemplateRenderer::ToX(const CString& strNumber)
{
    return Truncate(AtoF(strNumber) * 10.0);
}

int CTemplateRenderer::ToY(const CString& strNumber)
{
    return Truncate(AtoF(strNumber) * -10.0);
}

int CTemplateRenderer::FontHeight() const
{
    return Truncate(m_dFontSize * kCellPerPoint);
}
