#include "pages/stepping/frequency_trace.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// Room for the frequency labels on the left and the time labels below.
constexpr int kLeftMargin = 38;
constexpr int kBottomMargin = 16;
constexpr int kTopMargin = 18;
constexpr int kRightMargin = 14;

// 1, 2 and 5 times a power of ten: at most about nMost steps over dSpan.
double NiceStep(double dSpan, int nMost)
{
    const double dRough = dSpan / std::max(1, nMost);
    const double dPower = std::pow(10.0, std::floor(std::log10(dRough)));
    for (const double dFactor : {1.0, 2.0, 5.0}) {
        if (dFactor * dPower >= dRough)
            return dFactor * dPower;
    }
    return 10.0 * dPower;
}

QString NumberLabel(double dValue)
{
    return QString::number(dValue, 'g', 4);
}

} // namespace

CFrequencyTrace::CFrequencyTrace(QWidget* pParent)
    : QWidget(pParent)
{
    setAccessibleName(QStringLiteral("Frequency sent"));
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void CFrequencyTrace::Plan(double dLowMHz, double dHighMHz, double dPassSeconds, bool bLogAxis)
{
    m_points.clear();
    m_dLowMHz = std::min(dLowMHz, dHighMHz);
    m_dHighMHz = std::max(dLowMHz, dHighMHz);
    // A single frequency still gets a band to sit in.
    if (m_dHighMHz <= m_dLowMHz) {
        m_dLowMHz *= 0.9;
        m_dHighMHz *= 1.1;
    }
    m_dPassSeconds = dPassSeconds > 0.0 ? dPassSeconds : 1.0;
    m_bLogAxis = bLogAxis;
    setAccessibleDescription(QString());
    update();
}

void CFrequencyTrace::ClearPoints()
{
    m_points.clear();
    update();
}

void CFrequencyTrace::AddPoint(double dAtSeconds, double dDwellSeconds, double dMHz)
{
    m_points.append({dAtSeconds, dDwellSeconds, dMHz});
    setAccessibleDescription(QStringLiteral("%1 MHz at %2 s").arg(NumberLabel(dMHz), NumberLabel(dAtSeconds)));
    update();
}

QSize CFrequencyTrace::sizeHint() const
{
    return {280, 180};
}

QSize CFrequencyTrace::minimumSizeHint() const
{
    return {160, 100};
}

double CFrequencyTrace::AxisFraction(double dMHz) const
{
    const double dClamped = std::clamp(dMHz, m_dLowMHz, m_dHighMHz);
    if (m_bLogAxis && m_dLowMHz > 0.0)
        return std::log(dClamped / m_dLowMHz) / std::log(m_dHighMHz / m_dLowMHz);
    return (dClamped - m_dLowMHz) / (m_dHighMHz - m_dLowMHz);
}

QList<double> CFrequencyTrace::FrequencyTicks() const
{
    QList<double> ticks{m_dLowMHz};
    if (m_bLogAxis && m_dLowMHz > 0.0) {
        for (double dDecade = std::pow(10.0, std::floor(std::log10(m_dLowMHz))); dDecade <= m_dHighMHz;
             dDecade *= 10.0) {
            for (const double dFactor : {1.0, 2.0, 5.0}) {
                const double dTick = dFactor * dDecade;
                if (dTick > m_dLowMHz * 1.15 && dTick < m_dHighMHz / 1.15)
                    ticks.append(dTick);
            }
        }
    } else {
        const double dStep = NiceStep(m_dHighMHz - m_dLowMHz, 4);
        for (double dTick = std::ceil(m_dLowMHz / dStep) * dStep; dTick < m_dHighMHz; dTick += dStep) {
            if (dTick - m_dLowMHz > dStep / 3 && m_dHighMHz - dTick > dStep / 3)
                ticks.append(dTick);
        }
    }
    ticks.append(m_dHighMHz);
    return ticks;
}

void CFrequencyTrace::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plot = QRectF(rect()).adjusted(kLeftMargin, kTopMargin, -kRightMargin, -kBottomMargin);
    const auto xAt = [&](double dSeconds) {
        return plot.left() + plot.width() * std::clamp(dSeconds / m_dPassSeconds, 0.0, 1.0);
    };
    const auto yAt = [&](double dMHz) { return plot.bottom() - plot.height() * AxisFraction(dMHz); };

    QFont font = painter.font();
    font.setPointSizeF(font.pointSizeF() * 0.8);
    painter.setFont(font);
    const QColor gridColor = palette().color(QPalette::Mid);
    const QColor textColor = palette().color(QPalette::Text);

    for (const double dTick : FrequencyTicks()) {
        const double dY = yAt(dTick);
        painter.setPen(QPen(gridColor, 0, Qt::DotLine));
        painter.drawLine(QPointF(plot.left(), dY), QPointF(plot.right(), dY));
        painter.setPen(textColor);
        painter.drawText(QRectF(0, dY - 8, kLeftMargin - 3, 16), Qt::AlignRight | Qt::AlignVCenter, NumberLabel(dTick));
    }
    const double dTimeStep = NiceStep(m_dPassSeconds, 5);
    for (double dTick = 0.0; dTick <= m_dPassSeconds * 1.0001; dTick += dTimeStep) {
        const double dX = xAt(dTick);
        painter.setPen(QPen(gridColor, 0, Qt::DotLine));
        painter.drawLine(QPointF(dX, plot.top()), QPointF(dX, plot.bottom()));
        painter.setPen(textColor);
        painter.drawText(QRectF(dX - 20, plot.bottom() + 1, 40, kBottomMargin - 1), Qt::AlignCenter,
                         NumberLabel(dTick) + QStringLiteral(" s"));
    }
    painter.setPen(textColor);
    painter.drawText(QRectF(0, 0, kLeftMargin - 3, 12), Qt::AlignRight | Qt::AlignTop, QStringLiteral("MHz"));
    painter.setPen(QPen(gridColor, 1));
    painter.drawRect(plot);

    if (m_points.isEmpty())
        return;
    QPainterPath path;
    for (const Step& step : m_points) {
        const QPointF start(xAt(step.dAtSeconds), yAt(step.dMHz));
        if (path.isEmpty())
            path.moveTo(start);
        else
            path.lineTo(start);
        path.lineTo(xAt(step.dAtSeconds + step.dDwellSeconds), start.y());
    }
    // Thousands of steps within a few hundred pixels: smoothing them costs
    // more than it shows.
    painter.setRenderHint(QPainter::Antialiasing, m_points.size() < plot.width());
    const QColor traceColor = palette().color(QPalette::Highlight);
    painter.setPen(QPen(traceColor, 1.5));
    painter.drawPath(path);
    const Step& last = m_points.last();
    painter.setBrush(traceColor);
    painter.drawEllipse(QPointF(xAt(last.dAtSeconds), yAt(last.dMHz)), 2.5, 2.5);
}
