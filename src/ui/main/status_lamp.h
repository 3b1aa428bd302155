#pragma once

#include <QColor>
#include <QWidget>

namespace tolvane::ui {

// The round status lamp beside the status panel: yellow while working, red after a failure, green when
// pages were sent, black after a forced hang-up.
class StatusLamp : public QWidget {
    Q_OBJECT

public:
    explicit StatusLamp(QWidget* parent = nullptr);

    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour;
};

} // namespace tolvane::ui
