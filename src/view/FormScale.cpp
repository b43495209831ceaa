#include "view/FormScale.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// From the standard size up: finer steps where a step changes most of the text's size.
constexpr double kSteps[] = {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 3.5, 4.0};

} // namespace

int CFormScale::Length(int n) const
{
    return static_cast<int>(std::floor(n * m_dFactor + 0.5));
}

QRect CFormScale::Rect(const QRect& standard) const
{
    const int nLeft = Length(standard.x());
    const int nTop = Length(standard.y());
    return QRect(m_origin.x() + nLeft, m_origin.y() + nTop, Length(standard.x() + standard.width()) - nLeft,
                 Length(standard.y() + standard.height()) - nTop);
}

QFont CFormScale::Font(const QFont& standard) const
{
    if (m_dFactor == 1.0)
        return standard;
    QFont font = standard;
    if (standard.pixelSize() > 0)
        font.setPixelSize(std::max(1, Length(standard.pixelSize())));
    else
        font.setPointSizeF(standard.pointSizeF() * m_dFactor);
    return font;
}

QSize CFormScale::Size(const QSize& standard) const
{
    return QSize(static_cast<int>(std::ceil(standard.width() * m_dFactor)),
                 static_cast<int>(std::ceil(standard.height() * m_dFactor)));
}

double CFormScale::FitFactor(const QSize& room, const QSize& standard)
{
    if (standard.isEmpty())
        return 1.0;
    const double dWidth = static_cast<double>(room.width()) / standard.width();
    const double dHeight = static_cast<double>(room.height()) / standard.height();
    return std::max(1.0, std::min(dWidth, dHeight));
}

double CFormScale::StepAbove(double dFactor)
{
    for (double dStep : kSteps)
        if (dStep > dFactor + kStepSlack)
            return dStep;
    return std::max(dFactor, kSteps[std::size(kSteps) - 1]);
}

double CFormScale::StepBelow(double dFactor)
{
    double dBelow = 1.0;
    for (double dStep : kSteps)
        if (dStep < dFactor - kStepSlack)
            dBelow = dStep;
    return dBelow;
}
