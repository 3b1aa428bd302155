#include "ui/main/escape_closes.h"

#include <QShortcut>
#include <QWidget>

namespace tolvane::ui {

void closeOnEscape(QWidget* window)
{
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}

} // namespace tolvane::ui
