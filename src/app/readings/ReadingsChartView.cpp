// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/readings/ReadingsChartView.h"

#include <QKeyEvent>
#include <QPainter>
#include <QRubberBand>
#include <QToolTip>
#include <cmath>

#include "chart/ChartImage.h"
#include "chart/ReadingsChart.h"

namespace vantrel::app {
namespace {

// One key press scrolls a tenth of the plot; "+" and "-" zoom by this factor.
constexpr qreal kScrollFraction = 0.1;
constexpr qreal kZoomFactor = 1.5;

}  // namespace

ReadingsChartView::ReadingsChartView(ToolTipSource toolTipAt, QWidget* parent)
    : QWidget(parent), toolTipAt_(std::move(toolTipAt)) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void ReadingsChartView::SetChart(chart::ReadingsChart* chart) {
    chart_ = chart;
    if (chart_ != nullptr) {
        chart_->SetSize(QSizeF(size()));
        chart_->Reset();
    }
    Redraw();
}

void ReadingsChartView::Redraw() {
    picture_ = QPixmap();
    update();
}

void ReadingsChartView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (chart_ == nullptr) {
        painter.fillRect(event->rect(), palette().base());
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (picture_.isNull() || picture_.size() != (QSizeF(size()) * ratio).toSize()) {
        picture_ = QPixmap::fromImage(chart::RenderChart(*chart_, ratio));
    }
    painter.drawPixmap(0, 0, picture_);
}

void ReadingsChartView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (chart_ == nullptr) return;
    const bool zoomed = chart_->IsZoomed();
    chart_->SetSize(QSizeF(size()));
    // The whole profile stays whole, its value ticks fitted to the new height.
    if (!zoomed) chart_->Reset();
    Redraw();
}

void ReadingsChartView::keyPressEvent(QKeyEvent* event) {
    if (chart_ == nullptr) {
        QWidget::keyPressEvent(event);
        return;
    }
    const QRectF area = chart_->PlotArea();
    const qreal dx = area.width() * kScrollFraction;
    const qreal dy = area.height() * kScrollFraction;
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            chart_->ZoomBy(kZoomFactor);
            break;
        case Qt::Key_Minus:
            chart_->ZoomBy(1.0 / kZoomFactor);
            break;
        case Qt::Key_Left:
            chart_->Scroll(-dx, 0);
            break;
        case Qt::Key_Right:
            chart_->Scroll(dx, 0);
            break;
        case Qt::Key_Up:
            chart_->Scroll(0, dy);
            break;
        case Qt::Key_Down:
            chart_->Scroll(0, -dy);
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    Redraw();
    event->accept();
}

void ReadingsChartView::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y();
    if (chart_ == nullptr || steps == 0) {
        QWidget::wheelEvent(event);
        return;
    }
    // One notch of the wheel zooms by a quarter, about the point under the mouse.
    chart_->ZoomBy(std::pow(1.25, steps / 120.0), event->position());
    Redraw();
    event->accept();
}

void ReadingsChartView::mousePressEvent(QMouseEvent* event) {
    if (chart_ == nullptr) return;
    if (event->button() == Qt::RightButton) {
        chart_->ZoomBy(0.5);
        Redraw();
    } else if (event->button() == Qt::LeftButton &&
               chart_->PlotArea().contains(event->position())) {
        QToolTip::hideText();
        origin_ = event->position().toPoint();
        if (band_ == nullptr) band_ = new QRubberBand(QRubberBand::Rectangle, this);
        band_->setGeometry(QRect(origin_, QSize()));
        band_->show();
    }
}

void ReadingsChartView::mouseMoveEvent(QMouseEvent* event) {
    if (band_ != nullptr && band_->isVisible()) {
        band_->setGeometry(QRect(origin_, event->position().toPoint()).normalized());
        return;
    }
    if (event->buttons() != Qt::NoButton) return;
    const QString text = toolTipAt_(event->position().toPoint());
    if (text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
    }
}

void ReadingsChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (band_ == nullptr || !band_->isVisible() || event->button() != Qt::LeftButton) return;
    band_->hide();
    if (chart_ == nullptr) return;
    chart_->ZoomTo(QRectF(QPointF(origin_), event->position()));
    Redraw();
}

void ReadingsChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (band_ != nullptr) band_->hide();
    if (event->button() == Qt::LeftButton) ResetZoom();
}

void ReadingsChartView::ResetZoom() {
    if (chart_ == nullptr) return;
    chart_->Reset();
    Redraw();
}

}  // namespace vantrel::app
