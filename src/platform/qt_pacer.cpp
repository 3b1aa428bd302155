#include "platform/qt_pacer.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <thread>

namespace tolvane::platform {

void QtPacer::sleepMs(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void QtPacer::yield()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtPacer::pauseYielding(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace tolvane::platform
