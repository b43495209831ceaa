#pragma once
// The race view's form at another size than its standard one: every position, length and font
// of the standard layout multiplied by one factor, the form moved to an origin in the room it
// is given. The zoom keys step the factor through a few round values.

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

class CFormScale {
public:
    CFormScale() = default;
    CFormScale(double dFactor, QPoint origin) : m_dFactor(dFactor), m_origin(origin) {}

    double Factor() const { return m_dFactor; }
    // A length of the standard layout, rounded to the nearest pixel.
    int Length(int n) const;
    // A rectangle of the standard layout, moved to the origin. Its edges are scaled as points,
    // so that controls that meet or stand apart at the standard size still do.
    QRect Rect(const QRect& standard) const;
    // The font at this size; a font given in pixels stays in whole pixels.
    QFont Font(const QFont& standard) const;
    // The room that holds a standard size at this scale: no side is cut by the rounding.
    QSize Size(const QSize& standard) const;

    // The largest factor at which the standard size fits the room, and never less than 1: the
    // standard size is the smallest the form is drawn at.
    static double FitFactor(const QSize& room, const QSize& standard);
    // The zoom step after and before a factor; 1 is the first step.
    static double StepAbove(double dFactor);
    static double StepBelow(double dFactor);
    // Factors closer than this are the same step: sizes in whole pixels hit a step only nearly.
    static constexpr double kStepSlack = 0.01;

private:
    double m_dFactor = 1.0;
    QPoint m_origin;
};
