#include "app/heapreturn.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void HeapReturn::afterPlayerStopped()
{
#if defined(__GLIBC__)
    // Owned by the application object, so it goes with it; a later application
    // object (tests build several) gets one of its own.
    static QPointer<QTimer> timer;
    if (!QCoreApplication::instance())
        return;
    if (!timer) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        timer->setInterval(delayMs);
        QObject::connect(timer, &QTimer::timeout, [] { malloc_trim(0); });
    }
    if (!timer->isActive())
        timer->start();
#endif
    // Other C libraries return freed memory on their own (Windows' heap
    // decommits free ranges; macOS's zones are scavenged), so nothing to do there.
}

void HeapReturn::mapLargeBlocksApart()
{
#if defined(__GLIBC__)
    constexpr int glibcsOwnStartingBound = 128 * 1024;
    mallopt(M_MMAP_THRESHOLD, glibcsOwnStartingBound);
#endif
}
