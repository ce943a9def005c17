// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ReadingsChartView: the readings window's chart on screen. A dragged rectangle zooms in
// (the right button zooms out), the wheel and "+" / "-" zoom, the arrows move the view, a
// double click shows the whole profile again, and the tooltip follows the mouse to the
// nearest reading. The chart is drawn once into a picture, so that the rubber band and the
// tooltip do not draw all of its lines again. GUI thread only.

#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <functional>

class QRubberBand;

namespace vantrel::chart {
class ReadingsChart;
}

namespace vantrel::app {

class ReadingsChartView final : public QWidget {
public:
    // `toolTipAt` gives the tooltip for a position of the view; empty for none.
    using ToolTipSource = std::function<QString(const QPoint&)>;
    ReadingsChartView(ToolTipSource toolTipAt, QWidget* parent);

    // The chart to show (owned by the window), or none.
    void SetChart(chart::ReadingsChart* chart);
    // The chart changed: draw it anew.
    void Redraw();
    // Back to the whole profile, as a double click does.
    void ResetZoom();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    ToolTipSource toolTipAt_;
    chart::ReadingsChart* chart_ = nullptr;
    QPixmap picture_;
    QRubberBand* band_ = nullptr;
    QPoint origin_;
};

}  // namespace vantrel::app
