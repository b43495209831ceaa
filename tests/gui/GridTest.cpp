// The grid wrapper: what the view writes is what the grid holds and paints.

#include "platform/Sjis.h"
#include "platform/gui/QtText.h"
#include "view/MSFlexGrid.h"

#include <QFontInfo>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The horizontal extent of the dark (text) pixels inside a cell, or {-1, -1} when none.
std::pair<int, int> InkSpan(CMSFlexGrid& grid, int nRow, int nCol)
{
    const QImage image = grid.grab().toImage();
    const QRect cell = grid.visualRect(grid.model()->index(nRow, nCol)).translated(grid.viewport()->pos());
    int nFirst = -1, nLast = -1;
    for (int x = cell.left() + 1; x < cell.right(); ++x)
        for (int y = cell.top() + 1; y < cell.bottom(); ++y)
            if (qGray(image.pixel(x, y)) < 128) {
                if (nFirst < 0)
                    nFirst = x - cell.left();
                nLast = x - cell.left();
            }
    return {nFirst, nLast};
}

QColor PixelAt(CMSFlexGrid& grid, int nRow, int nCol)
{
    const QImage image = grid.grab().toImage();
    const QRect cell = grid.visualRect(grid.model()->index(nRow, nCol)).translated(grid.viewport()->pos());
    return image.pixelColor(cell.left() + 3, cell.top() + 3);
}

void Write(CMSFlexGrid& grid, int nRow, int nCol, const char* pszUtf8)
{
    grid.Row(nRow);
    grid.Col(nCol);
    grid.Text(Sjis(pszUtf8));
}

class GridTest : public ::testing::Test {
protected:
    GridTest()
    {
        for (int nCol = 0; nCol < CMSFlexGrid::kCols; ++nCol)
            grid.ColWidth(nCol, 1440);
        grid.resize(1200, 200);
    }
    CMSFlexGrid grid{nullptr};
};

TEST_F(GridTest, StartsAsSevenByTwelveWithoutHeadersInTheGothicFont)
{
    EXPECT_EQ(grid.rowCount(), 7);
    EXPECT_EQ(grid.columnCount(), 12);
    EXPECT_FALSE(grid.horizontalHeader()->isVisible());
    EXPECT_FALSE(grid.verticalHeader()->isVisible());
    EXPECT_EQ(QFontInfo(grid.font()).family(), QStringLiteral("IPAGothic"));
    EXPECT_DOUBLE_EQ(grid.font().pointSizeF(), 11.4);
    EXPECT_EQ(grid.GetCellAlignment(3, 4), flexAlignGeneral);
    EXPECT_EQ(grid.GetCellBackColor(3, 4), 0xFFFFFFu);
}

TEST_F(GridTest, WritesGoToTheCurrentCellOnlyAndShowTheDecodedText)
{
    Write(grid, 2, 5, "◎○");
    grid.CellAlignment(flexAlignRightCenter);
    grid.CellBackColor(0xCCCCFF);

    EXPECT_EQ(grid.GetTextMatrix(2, 5), Sjis("◎○"));
    EXPECT_EQ(grid.item(2, 5)->text(), Utf8("◎○"));
    EXPECT_EQ(grid.GetCellAlignment(2, 5), flexAlignRightCenter);
    EXPECT_EQ(grid.GetCellBackColor(2, 5), 0xCCCCFFu);
    for (auto [nRow, nCol] : {std::pair{2, 4}, {2, 6}, {1, 5}, {3, 5}}) {
        EXPECT_TRUE(grid.GetTextMatrix(nRow, nCol).IsEmpty()) << nRow << "," << nCol;
        EXPECT_EQ(grid.GetCellAlignment(nRow, nCol), flexAlignGeneral);
        EXPECT_EQ(grid.GetCellBackColor(nRow, nCol), 0xFFFFFFu);
    }
}

TEST_F(GridTest, ClearResetsTextsAndFormatsButKeepsCountsAndWidths)
{
    grid.ColWidth(11, 0);
    grid.ColWidth(2, 1070);
    Write(grid, 0, 0, "着");
    grid.CellAlignment(flexAlignCenterCenter);
    grid.CellBackColor(0xEEEEEE);
    Write(grid, 6, 11, "x");

    grid.Clear();

    EXPECT_TRUE(grid.GetTextMatrix(0, 0).IsEmpty());
    EXPECT_TRUE(grid.GetTextMatrix(6, 11).IsEmpty());
    EXPECT_EQ(grid.item(0, 0)->text(), QString());
    EXPECT_EQ(grid.GetCellAlignment(0, 0), flexAlignGeneral);
    EXPECT_EQ(grid.GetCellBackColor(0, 0), 0xFFFFFFu);
    EXPECT_EQ(grid.rowCount(), 7);
    EXPECT_EQ(grid.columnCount(), 12);
    EXPECT_EQ(grid.GetColWidth(2), 1070);
    EXPECT_TRUE(grid.isColumnHidden(11));
}

TEST_F(GridTest, WidthsAreTwipsAtTheScreenResolutionAndZeroHides)
{
    const int nDpi = grid.logicalDpiX();
    grid.ColWidth(3, 1440);
    EXPECT_EQ(grid.columnWidth(3), nDpi);
    grid.ColWidth(3, 720);
    EXPECT_EQ(grid.columnWidth(3), nDpi / 2);
    EXPECT_EQ(grid.GetColWidth(3), 720);

    grid.ColWidth(3, 0);
    EXPECT_TRUE(grid.isColumnHidden(3));
    EXPECT_EQ(grid.GetColWidth(3), 0);

    grid.ColWidth(3, 850);
    EXPECT_FALSE(grid.isColumnHidden(3));
    EXPECT_EQ(grid.columnWidth(3), (850 * nDpi + 720) / 1440);
}

TEST_F(GridTest, PaintsTheTextWhereItsAlignmentSays)
{
    Write(grid, 1, 0, "X");
    grid.CellAlignment(flexAlignLeftCenter);
    Write(grid, 1, 1, "X");
    grid.CellAlignment(flexAlignCenterCenter);
    Write(grid, 1, 2, "X");
    grid.CellAlignment(flexAlignRightCenter);
    // No alignment of its own: text to the left, a number to the right.
    Write(grid, 1, 3, "X");
    Write(grid, 1, 4, "7");

    const int nWidth = grid.columnWidth(0);
    const auto [nLeftFirst, nLeftLast] = InkSpan(grid, 1, 0);
    const auto [nMidFirst, nMidLast] = InkSpan(grid, 1, 1);
    const auto [nRightFirst, nRightLast] = InkSpan(grid, 1, 2);
    ASSERT_GE(nLeftFirst, 0);
    EXPECT_LT(nLeftLast, nWidth / 3);
    EXPECT_GT(nMidFirst, nWidth / 3);
    EXPECT_LT(nMidLast, 2 * nWidth / 3);
    EXPECT_GT(nRightFirst, 2 * nWidth / 3);
    EXPECT_LT(InkSpan(grid, 1, 3).second, nWidth / 3);
    EXPECT_GT(InkSpan(grid, 1, 4).first, 2 * nWidth / 3);
}

TEST_F(GridTest, PaintsBackgroundsFromBlueGreenRedValues)
{
    grid.Row(2);
    grid.Col(0);
    grid.CellBackColor(0x3333FF); // red
    grid.Col(1);
    grid.CellBackColor(0xFFCCCC); // light blue

    EXPECT_EQ(PixelAt(grid, 2, 0), QColor(0xFF, 0x33, 0x33));
    EXPECT_EQ(PixelAt(grid, 2, 1), QColor(0xCC, 0xCC, 0xFF));
    EXPECT_EQ(PixelAt(grid, 2, 2), QColor(0xFF, 0xFF, 0xFF));
}

TEST_F(GridTest, IsDisplayOnly)
{
    Write(grid, 1, 1, "4-3");
    grid.show();
    const QPoint cell = grid.visualRect(grid.model()->index(1, 1)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell);
    QTest::keyClick(&grid, Qt::Key_A);

    EXPECT_TRUE(grid.findChildren<QLineEdit*>().isEmpty());
    EXPECT_FALSE(grid.selectionModel()->hasSelection());
    EXPECT_EQ(grid.GetTextMatrix(1, 1), CString("4-3"));
    EXPECT_EQ(grid.focusPolicy(), Qt::NoFocus);
}

} // namespace
