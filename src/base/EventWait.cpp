#include "base/EventWait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

void PumpEvents()
{
    QEventLoop loop;
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WaitWithEvents(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    return WaitUntil(done, PumpEvents, [&clock] { return clock.elapsed(); }, timeoutMs);
}

bool WaitUntil(const std::function<bool()>& done, const std::function<void()>& pump,
               const std::function<long long()>& nowMs, int timeoutMs)
{
    const long long start = nowMs();
    for (;;) {
        pump();
        if (done())
            return true;
        if (nowMs() - start >= timeoutMs)
            return false;
    }
}
