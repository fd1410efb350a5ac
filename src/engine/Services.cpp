#include "Services.h"

#include "records/Log.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTimer>

namespace tessary {

Timestamp SystemClock::now() const { return Timestamp::fromMSecsSinceEpoch(QDateTime::currentMSecsSinceEpoch()); }

std::int64_t SystemRandom::uniform(std::int64_t lower, std::int64_t upper)
{
    if (upper <= lower)
        return lower;
    return QRandomGenerator::system()->bounded(qint64(lower), qint64(upper) + 1);
}

void TimerScheduler::after(int ms, QObject *context, std::function<void()> work)
{
    // The context object cancels the work when it is destroyed first.
    QTimer::singleShot(ms, context, std::move(work));
}

} // namespace tessary
