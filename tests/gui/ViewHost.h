#pragma once
// The race view in a window of its own, as the frame hosts it: a main window with the view as
// its client, a command route that starts at the view, a document on the heap. The view counts
// its day loads so that tests can tell one load from none or two.

#include "model/KeluDoc.h"
#include "platform/Sjis.h"
#include "platform/gui/CommandRouter.h"
#include "platform/gui/QtText.h"
#include "res/resource.h"
#include "view/KeluView.h"
#include "view/TabCtrl.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace viewtest {

// The zoom the window's fit checks run at: the environment's KELU_TEST_ZOOM, 1 without it.
inline double TestZoom()
{
    bool bOk = false;
    const double dZoom = qgetenv("KELU_TEST_ZOOM").toDouble(&bOk);
    return bOk && dZoom >= 1.0 ? dZoom : 1.0;
}

class CCountingView : public CKeluView {
public:
    using CKeluView::CKeluView;
    void LoadShownDay() override
    {
        ++m_nLoads;
        CKeluView::LoadShownDay();
    }
    int m_nLoads = 0;
};

class CViewHost {
public:
    // pBeforeView, when given, gets each command before the view does.
    explicit CViewHost(CCmdTarget* pBeforeView = nullptr)
    {
        m_pView = new CCountingView(m_pDoc.get(), &m_router, &m_frame);
        m_frame.setCentralWidget(m_pView);
        if (pBeforeView)
            m_router.SetRoute({pBeforeView, m_pView});
        else
            m_router.SetRoute({m_pView});
        m_pView->OnInitialUpdate();
        m_frame.show();
        // The keyboard focus follows the active window.
        m_frame.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_frame));
        if (TestZoom() != 1.0)
            m_pView->ZoomTo(TestZoom());
    }

    CKeluDoc& Doc() { return *m_pDoc; }
    // Lets the event loop turn until the view's download has ended; false when it never does.
    bool WaitForDownload(int nMilliseconds = 20000)
    {
        QElapsedTimer timer;
        timer.start();
        while (m_pView->IsDownloading() && timer.elapsed() < nMilliseconds)
            QTest::qWait(5);
        return !m_pView->IsDownloading();
    }
    CCountingView& View() { return *m_pView; }
    QMainWindow& Frame() { return m_frame; }
    CCommandRouter& Router() { return m_router; }

    template <class T>
    T* Item(int nID) const
    {
        T* p = qobject_cast<T*>(m_pView->GetDlgItem(nID));
        EXPECT_NE(p, nullptr) << "control " << nID;
        return p;
    }
    QDateEdit* Date() const { return Item<QDateEdit>(IDC_DATE); }
    QComboBox* VenueList() const { return Item<QComboBox>(IDC_VENUE_LIST); }
    QComboBox* RaceList() const { return Item<QComboBox>(IDC_RACE_LIST); }
    QPushButton* VenueButton(int v) const { return Item<QPushButton>(v == 1 ? IDC_VENUE1 : IDC_VENUE1 + v); }
    QPushButton* RaceButton(int r) const { return Item<QPushButton>(r == 1 ? IDC_RACE1 : IDC_RACE1 + 1 + r); }
    std::string VenueTitle() const { return Item<QLabel>(IDC_TITLE_VENUE)->text().toStdString(); }
    std::string RaceTitle() const { return Item<QLabel>(IDC_TITLE_RACE)->text().toStdString(); }
    CMSFlexGrid& Upper() const { return *m_pView->m_gridProgram; }
    CMSFlexGrid& Lower() const { return *m_pView->m_gridLower; }
    QTabBar* Tabs() const { return static_cast<CTabCtrl*>(m_pView->GetDlgItem(IDC_TAB))->TabBar(); }

    // The user changes the date in the picker's fields.
    void TypeDate(const QDate& date) { Date()->setDate(date); }
    void Click(QWidget* pWidget) { QTest::mouseClick(pWidget, Qt::LeftButton); }
    void ClickVenue(int v) { Click(VenueButton(v)); }
    void ClickRace(int r) { Click(RaceButton(r)); }
    void ClickTab(int nTab) { QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(nTab).center()); }
    // The venue list's items as shown.
    std::vector<std::string> VenueItems() const
    {
        std::vector<std::string> items;
        for (int i = 0; i < VenueList()->count(); ++i)
            items.push_back(VenueList()->itemText(i).toStdString());
        return items;
    }

private:
    std::unique_ptr<CKeluDoc> m_pDoc = std::make_unique<CKeluDoc>();
    CCommandRouter m_router;
    QMainWindow m_frame;
    CCountingView* m_pView = nullptr;
};

// The form's controls lie inside the view and apart from each other (the lower grid lies inside
// the tab control), and every button's caption shows whole.
inline void ExpectControlsInsideAndApart(const CKeluView& view, const std::string& where = std::string())
{
    std::vector<std::pair<int, QRect>> controls;
    for (QWidget* pChild : view.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (pChild->isVisible() && pChild->objectName().toInt() > 0)
            controls.emplace_back(pChild->objectName().toInt(), pChild->geometry());
    ASSERT_GT(controls.size(), 45u) << where;
    const QRect tab = view.GetDlgItem(IDC_TAB)->geometry();
    EXPECT_TRUE(tab.contains(view.GetDlgItem(IDC_GRID_LOWER)->geometry())) << where;
    for (size_t i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(view.rect().contains(controls[i].second)) << where << " " << controls[i].first;
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const int a = controls[i].first, b = controls[j].first;
            if ((a == IDC_TAB && b == IDC_GRID_LOWER) || (a == IDC_GRID_LOWER && b == IDC_TAB))
                continue;
            EXPECT_FALSE(controls[i].second.intersects(controls[j].second)) << where << " " << a << " over " << b;
        }
    }
    for (QAbstractButton* pButton : view.findChildren<QAbstractButton*>()) {
        if (!pButton->isVisibleTo(&view))
            continue;
        const QFontMetrics fm(pButton->font());
        EXPECT_LE(fm.horizontalAdvance(pButton->text()), pButton->width())
            << where << " " << pButton->text().toStdString();
    }
}

// Every text of the grid shows whole: in the font the cell draws it with, it is no wider than
// the cell's text room and no taller than the cell, and the cell lies inside the viewport.
// Returns how many texts had to be condensed to fit.
inline int ExpectEveryCellFits(const CMSFlexGrid& grid, const std::string& where)
{
    int nCondensed = 0;
    const QRect viewport = grid.viewport()->rect();
    for (int nRow = 0; nRow < grid.rowCount(); ++nRow) {
        for (int nCol = 0; nCol < grid.columnCount(); ++nCol) {
            const QString text = grid.item(nRow, nCol)->text().trimmed();
            if (text.isEmpty() || grid.isColumnHidden(nCol))
                continue;
            // Only blanks may be left out of what is painted.
            EXPECT_EQ(grid.CellShownText(nRow, nCol).trimmed(), text) << where << " row " << nRow << " col " << nCol;
            const QRect cell = grid.CellRect(nRow, nCol);
            const QFont font = grid.CellFont(nRow, nCol);
            const QFontMetricsF fm(font);
            const double dWidth = fm.horizontalAdvance(grid.CellShownText(nRow, nCol));
            EXPECT_LE(dWidth, CMSFlexGrid::TextRect(cell).width())
                << where << " row " << nRow << " col " << nCol << " \"" << text.toStdString() << "\"";
            EXPECT_LE(fm.height(), cell.height()) << where << " row " << nRow;
            EXPECT_TRUE(viewport.contains(cell)) << where << " row " << nRow << " col " << nCol;
            if (font.stretch() != grid.font().stretch())
                ++nCondensed;
        }
    }
    return nCondensed;
}

// A cell's text in UTF-8, as the grid shows it.
inline std::string Cell(const CMSFlexGrid& grid, int nRow, int nCol)
{
    return SjisToUtf8(grid.GetTextMatrix(nRow, nCol).Str());
}

} // namespace viewtest
