#pragma once
// A table's column headings in two rows: a band of group names above, each over the columns it
// spans, and each column's own heading below. The columns outside any group have their
// heading across both rows.

#include <QHeaderView>
#include <QString>

#include <vector>

class CGroupedHeader : public QHeaderView {
public:
    struct CGroup {
        int nFirst;
        int nCount;
        QString strName;
    };

    CGroupedHeader(std::vector<CGroup> groups, QWidget* pParent = nullptr);
    const std::vector<CGroup>& Groups() const { return m_groups; }
    // The group of a column, or nullptr.
    const CGroup* GroupOf(int nSection) const;
    // The height of the band of group names.
    int BandHeight() const;

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* pPainter, const QRect& rect, int nSection) const override;
    QSize sectionSizeFromContents(int nSection) const override;

private:
    std::vector<CGroup> m_groups;
};
