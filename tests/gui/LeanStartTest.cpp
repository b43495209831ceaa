// What keeps the start light without changing what shows: fonts asked for by the faces that
// stand in, the pictures made from their compiled-in data, the calendar made when it first drops
// down, and the fitting of cell texts answered from what was measured before.

#include "ViewHost.h"
#include "platform/gui/Fonts.h"
#include "res/Icons.h"
#include "res/Menu.h"
#include "view/MSFlexGrid.h"

#include <QCalendarWidget>
#include <QImage>
#include <QTextCharFormat>

#include <gtest/gtest.h>

TEST(LeanStartTest, FontsAskForTheStandInFaceAndFallBackToTheNameWithoutOne)
{
    InstallFontSubstitutions();
    // Qt keeps substitutes in lower case; families match without regard to case.
    auto asked = [](const char* pszFace) { return KeluFont(pszFace, 9).families().value(0).toLower().toStdString(); };
    EXPECT_EQ(asked(kFacePGothic), "ipapgothic");
    EXPECT_EQ(asked(kFaceGothic), "ipagothic");
    EXPECT_DOUBLE_EQ(KeluFont(kFaceGothic, 11.4).pointSizeF(), 11.4);
    // A face without a stand-in is asked for by its own name.
    EXPECT_EQ(asked("Kelu Unknown Face"), "kelu unknown face");
}

TEST(LeanStartTest, ThePicturesAreTheResourceFilesPixelForPixel)
{
    LoadKeluResources();
    std::vector<const char*> paths{kProgramIcon};
    for (const CToolbarButtonDef& button : MainToolbar())
        if (button.pszImage)
            paths.push_back(button.pszImage);
    ASSERT_EQ(paths.size(), 10u);
    for (const char* pszPath : paths) {
        const QImage file = QImage(QString::fromUtf8(pszPath)).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(file.isNull()) << pszPath;
        const QIcon icon = KeluIcon(pszPath);
        ASSERT_FALSE(icon.isNull()) << pszPath;
        const QImage made = icon.pixmap(file.size()).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(made.size(), file.size()) << pszPath;
        int nDiffer = 0;
        for (int y = 0; y < file.height(); ++y)
            for (int x = 0; x < file.width(); ++x)
                nDiffer += made.pixel(x, y) != file.pixel(x, y);
        EXPECT_EQ(nDiffer, 0) << pszPath;
    }
    // A path the table does not know is read from the resources as before: here, nothing.
    EXPECT_TRUE(KeluIcon(":/res/no-such-picture.xpm").pixmap(16, 15).isNull());
}

TEST(LeanStartTest, TheCalendarIsMadeWhenItFirstDropsDown)
{
    viewtest::CViewHost host;
    QDateEdit* pDate = host.Date();
    EXPECT_EQ(pDate->findChild<QCalendarWidget*>(), nullptr);
    QTest::mouseClick(pDate, Qt::LeftButton, {}, QPoint(pDate->width() - 6, pDate->height() / 2));
    QCalendarWidget* pCalendar = pDate->findChild<QCalendarWidget*>();
    ASSERT_NE(pCalendar, nullptr);
    EXPECT_TRUE(pCalendar->window()->isVisible());
    EXPECT_EQ(pCalendar->verticalHeaderFormat(), QCalendarWidget::NoVerticalHeader);
    EXPECT_EQ(pCalendar->weekdayTextFormat(Qt::Saturday).foreground().color(), QColor(0x20, 0x40, 0xD0));
    pCalendar->window()->hide();
}

namespace {

// The widest stretch of the font at which the text fits the room, found by trying every one
// from the widest down; 0 when it fits as it is.
int WidestFittingStretch(QFont font, const QString& text, int nRoom)
{
    if (QFontMetricsF(font).horizontalAdvance(text) <= nRoom)
        return 0;
    for (int nStretch = 99; nStretch > 1; --nStretch) {
        font.setStretch(nStretch);
        if (QFontMetricsF(font).horizontalAdvance(text) <= nRoom)
            return nStretch;
    }
    return 1;
}

int StretchOf(const QFont& fitted, const QFont& font)
{
    return fitted == font ? 0 : fitted.stretch();
}

} // namespace

TEST(LeanStartTest, AFittedFontIsAnsweredAgainForTheSameFontTextAndRoomOnly)
{
    const QFont font = KeluFont(kFaceGothic, 11.4);
    const QFont larger = KeluFont(kFaceGothic, 14);
    const QString text = QStringLiteral("12345678");
    const double dWidth = QFontMetricsF(font).horizontalAdvance(text);
    struct CCase {
        QFont font;
        QString text;
        int nRoom;
    };
    // Each case asked twice, the second time after all the others: the kept answer is the one
    // measured for that font, text and room, never another case's.
    const std::vector<CCase> cases = {
        {font, text, static_cast<int>(dWidth * 0.8)},  {font, text, static_cast<int>(dWidth * 0.6)},
        {font, text, static_cast<int>(dWidth) + 1},    {larger, text, static_cast<int>(dWidth * 0.8)},
        {font, QStringLiteral("1"), static_cast<int>(dWidth * 0.8)},
        {font, QStringLiteral("12345678901234567890"), static_cast<int>(dWidth * 0.8)},
    };
    std::vector<int> expected;
    for (const CCase& c : cases)
        expected.push_back(WidestFittingStretch(c.font, c.text, c.nRoom));
    // The cases differ where they should: condensed or not, and by how much.
    EXPECT_GT(expected[0], expected[1]);
    EXPECT_EQ(expected[2], 0);
    EXPECT_GT(expected[0], expected[3]);
    EXPECT_EQ(expected[4], 0);
    for (int nRound = 0; nRound < 2; ++nRound)
        for (size_t i = 0; i < cases.size(); ++i) {
            const QFont fitted = CMSFlexGrid::FitFont(cases[i].font, cases[i].text, cases[i].nRoom);
            EXPECT_EQ(StretchOf(fitted, cases[i].font), expected[i]) << "case " << i << ", round " << nRound;
            EXPECT_EQ(fitted.pointSizeF(), cases[i].font.pointSizeF());
        }
}
