#include "tfeditor/histogram.h"

#include "render/glwidget.h"

#include <QMouseEvent>
#include <QPainter>

Histogram::Histogram(QWidget* parent) : QWidget(parent) {}

Histogram::~Histogram() = default;

void Histogram::mousePressEvent(QMouseEvent*) {}
void Histogram::mouseReleaseEvent(QMouseEvent*) {}
void Histogram::mouseDoubleClickEvent(QMouseEvent*) {}
void Histogram::mouseMoveEvent(QMouseEvent*) {}

void Histogram::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}
