// One printed page, forms and sheets, drawn at 300 dpi on an image through the print path
// (the view's page drawing: templates read and interpreted, sheets written, read and deleted,
// fonts made and texts measured), against drawing the very same lines and texts on the same
// image straight through QPainter, with positions and fonts worked out beforehand. The ratio is
// what the template path costs on top of the drawing itself.

#include "BenchApp.h"
#include "BenchRatio.h"
#include "PrintBenchDay.h"
#include "platform/gui/QtText.h"
#include "print/PainterDC.h"
#include "print/PrintInfo.h"
#include "view/KeluView.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using namespace printbench;

constexpr int kDpi = 300;
constexpr double kDotsPerMetre = kDpi / 0.0254;

// The window system is needed for fonts; the benchmarks run without a display.
using benchapp::EnsureApplication;

QImage NewPage()
{
    // A4 at 300 dpi.
    QImage image(2480, 3508, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(qRound(kDotsPerMetre));
    image.setDotsPerMeterY(qRound(kDotsPerMetre));
    return image;
}

// The document and view of the page: race 5 of the synthetic day, so page 2 with results.
struct CPage {
    CPage()
    {
        doc->LoadDay(kDay);
        doc->SetSelection(kVenue, 5);
        view = std::make_unique<CKeluView>(doc.get(), nullptr, nullptr);
        info.SetMaxPage(4);
        info.m_nCurPage = 2;
    }
    std::unique_ptr<CKeluDoc> doc = std::make_unique<CKeluDoc>();
    std::unique_ptr<CKeluView> view;
    CPrintInfo info;
};

// Keeps what a page draws, in device pixels with the fonts made, by drawing it once through a
// painter device context that has no painter.
class CCapturingDC : public CDC {
public:
    struct COp {
        bool bText;
        QPointF from, to; // the line, or the text's baseline origin
        QString strText;
        int nFont;
    };

    explicit CCapturingDC(QImage* pImage) : m_dc(pImage, nullptr), m_pImage(pImage) {}

    void SetMapMode(int nMapMode) override { m_dc.SetMapMode(nMapMode); }
    void SetViewportOrg(int x, int y) override { m_dc.SetViewportOrg(x, y); }
    int GetDeviceCaps(int nIndex) const override { return m_dc.GetDeviceCaps(nIndex); }
    void SelectFont(const CLogFont& font) override
    {
        m_dc.SelectFont(font);
        fonts.push_back(m_dc.CurrentFont());
        m_dAscent = QFontMetricsF(fonts.back(), m_pImage).ascent();
    }
    void MoveTo(int x, int y) override { m_current = m_dc.ToDevice(x, y); }
    void LineTo(int x, int y) override
    {
        const QPointF to = m_dc.ToDevice(x, y);
        ops.push_back({false, m_current, to, QString(), 0});
        m_current = to;
    }
    void TextOut(int x, int y, const CString& strText) override
    {
        if (strText.IsEmpty())
            return;
        const QPointF topLeft = m_dc.ToDevice(x, y);
        ops.push_back({true, QPointF(topLeft.x(), topLeft.y() + m_dAscent), QPointF(), ToQString(strText),
                       static_cast<int>(fonts.size()) - 1});
    }
    int GetTextExtent(const CString& strText) override { return m_dc.GetTextExtent(strText); }

    std::vector<QFont> fonts;
    std::vector<COp> ops;

private:
    CPainterDC m_dc;
    QImage* m_pImage;
    QPointF m_current;
    double m_dAscent = 0;
};

void BM_PrintPage(benchmark::State& state)
{
    EnsureApplication();
    EnterPrintDay();
    CPage page;
    QImage image = NewPage();
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        CPainterDC dc(&image, &painter);
        page.view->OnPrint(&dc, &page.info);
        painter.end();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PrintPage)->Unit(benchmark::kMillisecond);

void BM_DrawPageDirectly(benchmark::State& state)
{
    EnsureApplication();
    EnterPrintDay();
    CPage page;
    QImage image = NewPage();
    CCapturingDC capture(&image);
    page.view->OnPrint(&capture, &page.info);
    if (capture.ops.empty()) {
        state.SkipWithError("the page drew nothing");
        return;
    }
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        // The pen the painter device context draws its rules with.
        QPen pen(Qt::black);
        pen.setWidthF(std::max(1.0, kDpi / 254.0));
        pen.setCapStyle(Qt::SquareCap);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        int nFont = -1;
        for (const CCapturingDC::COp& op : capture.ops) {
            if (!op.bText) {
                painter.drawLine(op.from, op.to);
                continue;
            }
            if (op.nFont != nFont) {
                nFont = op.nFont;
                painter.setFont(capture.fonts[static_cast<size_t>(nFont)]);
            }
            painter.drawText(op.from, op.strText);
        }
        painter.end();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawPageDirectly)->Unit(benchmark::kMillisecond);

KELU_RATIO("a printed page vs drawing it directly", "BM_PrintPage", "BM_DrawPageDirectly", 1.5);

} // namespace
