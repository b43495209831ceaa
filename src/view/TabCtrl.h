#pragma once
// The tab control of the form: a framed area with its tabs along the bottom edge. Like the
// common control it stands for, it reports only the selection changes the user makes; the
// program's own DeleteAllItems, InsertItem and SetCurSel stay silent.

#include <QWidget>

#include <functional>

class QLabel;
class QTabBar;

class CTabCtrl : public QWidget {
public:
    explicit CTabCtrl(QWidget* pParent);

    void DeleteAllItems();
    void InsertItem(int nItem, const QString& text);
    int GetItemCount() const;
    // The current item, or -1 when there is none.
    int GetCurSel() const;
    void SetCurSel(int nItem);
    // Called after the user chose another tab.
    void SetSelChangeHandler(std::function<void()> handler) { m_onSelChange = std::move(handler); }

    QTabBar* TabBar() const { return m_pBar; }
    // A line of text beside the tabs, for what the page shows; empty hides it.
    void SetNote(const QString& strText, const QString& strToolTip = QString());
    QLabel* Note() const { return m_pNote; }

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    // A larger or smaller font makes taller or shorter tabs.
    void changeEvent(QEvent* pEvent) override;

private:
    void LayOutBar();
    QRect PageRect() const;

    QTabBar* m_pBar;
    QLabel* m_pNote;
    std::function<void()> m_onSelChange;
    bool m_bQuiet = false;
};
