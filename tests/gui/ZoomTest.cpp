// The window at other sizes than its first: the form grows with it in its proportions, the zoom
// keys step it, Ctrl+0 brings the first size back exactly, and the size outlives the program.

#include "AppHarness.h"
#include "DayFixture.h"
#include "ViewHost.h"
#include "platform/Profile.h"
#include "res/Menu.h"

#include <QFontInfo>
#include <QScreen>

#include <fstream>
#include <set>

using namespace apptest;

namespace {

// Lets the window system's answers to a change of state arrive.
void Settle()
{
    RunUntilIdle(20);
}

CMSFlexGrid* UpperGrid(CMainFrame* pFrame)
{
    return static_cast<CKeluView*>(pFrame->GetView())->m_gridProgram;
}

// How many times wider than at first the upper grid is.
double GridGrowth(CMainFrame* pFrame, int nFirstWidth)
{
    return static_cast<double>(UpperGrid(pFrame)->width()) / nFirstWidth;
}

// A zoom key, pressed once the commands' states have caught up with the window, as they have
// whenever the user presses a key.
void PressZoomKey(CMainFrame* pFrame, Qt::Key key)
{
    Settle();
    PressCtrl(pFrame, key);
}

// Everything of the form that its size decides, one line each: the frame's size, the place and
// font of every widget shown in the view, the grids' column widths and row heights.
std::string LookOf(CMainFrame* pFrame)
{
    const auto* pView = static_cast<CKeluView*>(pFrame->GetView());
    QString look = QStringLiteral("frame %1x%2\n").arg(pFrame->width()).arg(pFrame->height());
    for (const QWidget* pWidget : pView->findChildren<QWidget*>())
        if (pWidget->isVisible())
            look += QStringLiteral("%1 %2: %3,%4 %5x%6 %7\n")
                        .arg(QLatin1String(pWidget->metaObject()->className()), pWidget->objectName())
                        .arg(pWidget->x()).arg(pWidget->y()).arg(pWidget->width()).arg(pWidget->height())
                        .arg(pWidget->font().toString());
    for (const CMSFlexGrid* pGrid : {pView->m_gridProgram, pView->m_gridLower}) {
        for (int nCol = 0; nCol < pGrid->columnCount(); ++nCol)
            look += QString::number(pGrid->columnWidth(nCol)) + QLatin1Char(' ');
        for (int nRow = 0; nRow < pGrid->rowCount(); ++nRow)
            look += QString::number(pGrid->rowHeight(nRow)) + QLatin1Char(' ');
    }
    return look.toStdString();
}

} // namespace

TEST(ZoomTest, ResizingOrMaximisingScalesTheWholeFormInItsProportions)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    Expose(pFrame);
    CKeluView* pView = pApp->GetView();
    const QSize view0 = pView->size();
    const QRect grid0 = UpperGrid(pFrame)->geometry();
    const int nCellPixels0 = QFontInfo(UpperGrid(pFrame)->font()).pixelSize();
    const QRect form0 = pView->childrenRect();

    struct CCase {
        const char* pszName;
        QSize grow;
        bool bMaximize;
    };
    const CCase cases[] = {
        {"wider", QSize(500, 100), false},
        {"taller", QSize(100, 400), false},
        {"both", QSize(414, 282), false},
        {"maximised", QSize(), true},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        if (c.bMaximize)
            pFrame->showMaximized();
        else
            pFrame->resize(QSize(690, 470) + c.grow);
        Settle();
        // The form grows by the smaller of the view's two growths, whatever the window's shape.
        const double dFactor = std::min(static_cast<double>(pView->width()) / view0.width(),
                                        static_cast<double>(pView->height()) / view0.height());
        ASSERT_GT(dFactor, 1.05);
        EXPECT_NEAR(UpperGrid(pFrame)->width(), grid0.width() * dFactor, 1.0 + dFactor);
        EXPECT_NEAR(UpperGrid(pFrame)->height(), grid0.height() * dFactor, 1.0 + dFactor);
        EXPECT_NEAR(QFontInfo(UpperGrid(pFrame)->font()).pixelSize(), nCellPixels0 * dFactor, 1.0);
        // The room the form does not fill is shared evenly between its sides.
        const QRect form = pView->childrenRect();
        const double dLeft = form.left() - form0.left() * dFactor;
        const double dRight = (pView->width() - form.right()) - (view0.width() - form0.right()) * dFactor;
        const double dTop = form.top() - form0.top() * dFactor;
        const double dBottom = (pView->height() - form.bottom()) - (view0.height() - form0.bottom()) * dFactor;
        EXPECT_NEAR(dLeft, dRight, 2.0 + dFactor);
        EXPECT_NEAR(dTop, dBottom, 2.0 + dFactor);
        viewtest::ExpectControlsInsideAndApart(*pView, c.pszName);
        pFrame->showNormal();
        Settle();
    }
}

TEST(ZoomTest, ZoomKeysStepTheFormAndCtrl0BringsBackTheFirstSizeExactly)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    Expose(pFrame);
    const std::string first = LookOf(pFrame);
    const int nGrid0 = UpperGrid(pFrame)->width();

    // Ctrl with the plus key, with the key that carries it on a US and on a Japanese keyboard.
    PressZoomKey(pFrame, Qt::Key_Plus);
    EXPECT_NEAR(GridGrowth(pFrame, nGrid0), 1.25, 0.01);
    EXPECT_GT(pFrame->width(), 690);
    PressZoomKey(pFrame, Qt::Key_Equal);
    EXPECT_NEAR(GridGrowth(pFrame, nGrid0), 1.5, 0.01);
    PressZoomKey(pFrame, Qt::Key_Semicolon);
    EXPECT_NEAR(GridGrowth(pFrame, nGrid0), 1.75, 0.01);
    PressZoomKey(pFrame, Qt::Key_Minus);
    EXPECT_NEAR(GridGrowth(pFrame, nGrid0), 1.5, 0.01);
    viewtest::ExpectControlsInsideAndApart(*pApp->GetView(), "1.5");
    // The view's set-up, run again by the new-document command, keeps the user's size.
    const std::string zoomed = LookOf(pFrame);
    PressZoomKey(pFrame, Qt::Key_N);
    EXPECT_EQ(LookOf(pFrame), zoomed);
    PressZoomKey(pFrame, Qt::Key_0);
    EXPECT_EQ(LookOf(pFrame), first);

    // The menu's items are the same commands.
    Settle();
    PopupAction(pFrame->GetPopup(kViewPopup), ID_VIEW_ZOOM_IN)->trigger();
    EXPECT_NEAR(GridGrowth(pFrame, nGrid0), 1.25, 0.01);

    // Zoomed in as far as it goes, the window still fits the screen, and more zoom is greyed.
    for (int i = 0; i < 12; ++i)
        PressZoomKey(pFrame, Qt::Key_Plus);
    Settle();
    const QRect avail = pFrame->screen()->availableGeometry();
    EXPECT_TRUE(avail.contains(pFrame->frameGeometry()));
    EXPECT_GT(GridGrowth(pFrame, nGrid0), 2.0);
    CCommandRouter* pRouter = pFrame->GetRouter();
    pRouter->UpdateAll();
    EXPECT_FALSE(pRouter->FindAction(ID_VIEW_ZOOM_IN)->isEnabled());
    EXPECT_TRUE(pRouter->FindAction(ID_VIEW_ZOOM_OUT)->isEnabled());

    // From a maximised window too; at the first size, only zooming in is left to do.
    pFrame->showMaximized();
    Settle();
    PressZoomKey(pFrame, Qt::Key_0);
    Settle();
    EXPECT_FALSE(pFrame->isMaximized());
    EXPECT_EQ(LookOf(pFrame), first);
    pRouter->UpdateAll();
    EXPECT_TRUE(pRouter->FindAction(ID_VIEW_ZOOM_IN)->isEnabled());
    EXPECT_FALSE(pRouter->FindAction(ID_VIEW_ZOOM_OUT)->isEnabled());
    EXPECT_FALSE(pRouter->FindAction(ID_VIEW_ZOOM_RESET)->isEnabled());
}

TEST(ZoomTest, TheWindowsSizeAndStateOutliveTheProgram)
{
    QSize zoomed;
    int nGridWidth = 0;
    {
        auto pApp = StartApp();
        CMainFrame* pFrame = pApp->GetMainWnd();
        Expose(pFrame);
        PressZoomKey(pFrame, Qt::Key_Plus);
        PressZoomKey(pFrame, Qt::Key_Plus);
        zoomed = pFrame->size();
        nGridWidth = UpperGrid(pFrame)->width();
        ASSERT_GT(zoomed.width(), 690);
        pFrame->close();
    }
    const CProfile ini("data/kelu.ini");
    EXPECT_EQ(ini.GetProfileInt("Window", "Width", 0), zoomed.width());
    EXPECT_EQ(ini.GetProfileInt("Window", "Height", 0), zoomed.height());
    EXPECT_EQ(ini.GetProfileString("Window", "Maximized", ""), CString("0"));
    {
        auto pApp = StartApp();
        CMainFrame* pFrame = pApp->GetMainWnd();
        Expose(pFrame);
        EXPECT_EQ(pFrame->size(), zoomed);
        EXPECT_EQ(UpperGrid(pFrame)->width(), nGridWidth);
        EXPECT_FALSE(pFrame->isMaximized());
        // Maximised, the window keeps the size it returns to; once the size has rested a moment
        // it is written, closed or not.
        pFrame->showMaximized();
        RunUntilIdle(800);
        EXPECT_EQ(ini.GetProfileString("Window", "Maximized", ""), CString("1"));
        EXPECT_EQ(ini.GetProfileInt("Window", "Width", 0), zoomed.width());
    }
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    Expose(pFrame);
    Settle();
    EXPECT_TRUE(pFrame->isMaximized());
    EXPECT_GT(UpperGrid(pFrame)->width(), nGridWidth);
    pFrame->showNormal();
    Settle();
    EXPECT_EQ(pFrame->size(), zoomed);
}

TEST(ZoomTest, DamagedOrAbsurdSizesGiveTheFirstSizeAndNoneOutgrowsTheScreen)
{
    enum class Opens { First, AsWritten, FillingTheScreen, Maximised };
    struct CCase {
        const char* pszWidth;
        const char* pszHeight;
        const char* pszMaximized;
        Opens opens;
    };
    const CCase cases[] = {
        {"abc", "600", "0", Opens::First},
        {"900", "", "0", Opens::First},
        {"-900", "600", "", Opens::First},
        {"1,2e3", "600", "0", Opens::First},
        {"689", "600", "0", Opens::First},
        {"99999", "99999", "0", Opens::First},
        {"900", "600", "yes", Opens::AsWritten},
        {"900", "600", "1", Opens::Maximised},
        {"3000", "2000", "0", Opens::FillingTheScreen},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(std::string(c.pszWidth) + " " + c.pszHeight + " " + c.pszMaximized);
        std::filesystem::create_directories("data");
        std::ofstream("data/kelu.ini", std::ios::binary)
            << "[URL]\r\nASSEN=x%d\r\n[Window]\r\nWidth=" << c.pszWidth << "\r\nHeight=" << c.pszHeight
            << "\r\nMaximized=" << c.pszMaximized << "\r\n";
        auto pApp = StartApp();
        CMainFrame* pFrame = pApp->GetMainWnd();
        Expose(pFrame);
        Settle();
        EXPECT_EQ(pFrame->isMaximized(), c.opens == Opens::Maximised);
        const QRect avail = pFrame->screen()->availableGeometry();
        EXPECT_TRUE(avail.contains(pFrame->frameGeometry()));
        if (c.opens == Opens::First) {
            EXPECT_EQ(pFrame->size(), QSize(690, 470));
        } else if (c.opens == Opens::AsWritten) {
            EXPECT_EQ(pFrame->size(), QSize(900, 600));
        } else if (c.opens == Opens::FillingTheScreen) {
            EXPECT_EQ(pFrame->frameGeometry().size(), avail.size());
        }
        viewtest::ExpectControlsInsideAndApart(*pApp->GetView());
    }
}

// The widget's pixels as the screen shows them once the window has settled: read back from a
// real X server, where the window is painted a piece at a time as it grows; without one, the
// widget drawn whole.
QImage ShownPixels(QWidget& widget)
{
    widget.window()->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(widget.window()));
    RunUntilIdle(200);
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return widget.grab().toImage();
    const QPoint topLeft = widget.mapToGlobal(QPoint());
    return widget.screen()->grabWindow(0, topLeft.x(), topLeft.y(), widget.width(), widget.height()).toImage();
}

TEST(ZoomTest, TheGridLinesShowOnColouredAndWhiteRowsAtEveryZoomStep)
{
    // A day of one venue whose six boats colour the program's rows.
    fixture::ProgramVenue venue{.venue = 12};
    venue.races.emplace_back().race = 1;
    fixture::WriteProgramFile(CTime(2020, 2, 1, 12, 0, 0), fixture::ProgramFile({venue}));
    viewtest::CViewHost host;
    host.TypeDate(QDate(2020, 2, 1));
    host.ClickVenue(12);
    CMSFlexGrid& grid = host.Upper();
    // Of 255 grey levels: the style's own grid grey stood 5 levels from the grey row.
    constexpr int kLeastContrast = 40;
    const int nWidth0 = grid.width();
    for (double dZoom : {1.0, 1.5, 2.0}) {
        host.View().ZoomTo(dZoom);
        const std::string where = "at " + std::to_string(dZoom);
        const QImage image = ShownPixels(*grid.viewport());
        ASSERT_FALSE(image.isNull()) << where;
        const double dPixels = image.devicePixelRatio();
        std::set<QRgb> rowColours;
        // Each boat's row, at its middle: the pixel on every column's right edge is the grid's
        // line, whatever the row's colour; the pixel left of it is the row's own colour.
        for (int nRow = 1; nRow <= 6; ++nRow) {
            const int y = grid.rowViewportPosition(nRow) + grid.rowHeight(nRow) / 2;
            const QRgb line = image.pixel(QPoint(grid.columnViewportPosition(0) + grid.columnWidth(0) - 1, y) * dPixels);
            for (int nCol = 0; nCol + 1 < grid.columnCount(); ++nCol) {
                if (grid.columnWidth(nCol) < 3)
                    continue;
                const int x = grid.columnViewportPosition(nCol) + grid.columnWidth(nCol) - 1;
                EXPECT_EQ(image.pixel(QPoint(x, y) * dPixels), line) << where << " row " << nRow << " column " << nCol;
                // Two pixels in from the line, the cell's background (no text reaches its edge):
                // the line stands out from it, as far as a grey does from the boats' colours.
                const QRgb cell = image.pixel(QPoint(x - 2, grid.rowViewportPosition(nRow) + 1) * dPixels);
                EXPECT_GE(std::abs(qGray(cell) - qGray(line)), kLeastContrast)
                    << where << " row " << nRow << " column " << nCol << std::hex << " line " << line << " cell " << cell;
                rowColours.insert(cell);
            }
        }
        // The rows are coloured: white and five others at least.
        EXPECT_GE(rowColours.size(), 6u) << where;
        // Zoomed as far as the screen lets it.
        if (dZoom > 1.0) {
            EXPECT_GE(grid.width(), nWidth0 * 1.45) << where;
        }
    }
}
