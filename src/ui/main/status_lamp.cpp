#include "ui/main/status_lamp.h"

#include <QPainter>

namespace tolvane::ui {

StatusLamp::StatusLamp(QWidget* parent)
    : QWidget(parent)
    , m_colour(QColor(160, 160, 160))
{
    setFixedSize(sizeHint());
}

void StatusLamp::setColour(const QColor& colour)
{
    if (colour == m_colour)
        return;
    m_colour = colour;
    update();
}

QSize StatusLamp::sizeHint() const
{
    return { 18, 18 };
}

void StatusLamp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(64, 64, 64), 1));
    painter.setBrush(m_colour);
    painter.drawEllipse(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
}

} // namespace tolvane::ui
