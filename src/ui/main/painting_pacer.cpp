#include "ui/main/painting_pacer.h"

#include <QCoreApplication>
#include <QEvent>

namespace tolvane::ui {

void PaintingPacer::sleepMs(int ms)
{
    // Widgets ask to be repainted with posted update requests; delivering just those paints them now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
    m_inner.sleepMs(ms);
}

} // namespace tolvane::ui
