#include "device/TurningWait.h"

#include <QEventLoop>
#include <QMetaObject>

#include <thread>

namespace kvmt {

void waitTurning(const std::function<void()> &call)
{
    QEventLoop loop;
    std::thread worker([&] {
        call();
        // Queued: if it comes before exec() starts, exec() still sees it.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
}

} // namespace kvmt
