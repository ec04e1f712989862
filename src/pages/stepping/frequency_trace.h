#pragma once

#include <QList>
#include <QWidget>

// The frequency sent against time: each point held for its dwell, on a
// logarithmic frequency axis for a logarithmic sweep.
class CFrequencyTrace : public QWidget {
    Q_OBJECT

public:
    explicit CFrequencyTrace(QWidget* pParent = nullptr);

    // Empties the trace and sets its axes for a pass of this length.
    void Plan(double dLowMHz, double dHighMHz, double dPassSeconds, bool bLogAxis);
    // A new pass on the same axes.
    void ClearPoints();
    // A point sent dAtSeconds after the pass began.
    void AddPoint(double dAtSeconds, double dDwellSeconds, double dMHz);
    int PointCount() const { return static_cast<int>(m_points.size()); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    struct Step {
        double dAtSeconds;
        double dDwellSeconds;
        double dMHz;
    };

    // Where a frequency lies between the bottom (0) and the top (1).
    double AxisFraction(double dMHz) const;
    QList<double> FrequencyTicks() const;

    QList<Step> m_points;
    double m_dLowMHz = 10.0;
    double m_dHighMHz = 400.0;
    double m_dPassSeconds = 1.0;
    bool m_bLogAxis = true;
};
