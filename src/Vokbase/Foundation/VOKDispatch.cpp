#include "VOKDispatch.h"

#include "VOKLog.h"

#include <QCoreApplication>
#include <QThread>

namespace {

bool haveApplication()
{
    if (QCoreApplication::instance())
        return true;
    VOK_ASSERTION(QStringLiteral("vokOnMain called without an application; running the work in place"));
    return false;
}

} // namespace

bool vokIsMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void vokOnMain(std::function<void()> work)
{
    vokOnMain(nullptr, std::move(work));
}

void vokOnMain(const QObject *context, std::function<void()> work)
{
    if (!work)
        return;
    if (vokIsMainThread() || !haveApplication()) {
        work();
        return;
    }
    QObject *target = context ? const_cast<QObject *>(context) : QCoreApplication::instance();
    QMetaObject::invokeMethod(target, std::move(work), Qt::QueuedConnection);
}

void vokOnMainSync(std::function<void()> work)
{
    if (!work)
        return;
    if (vokIsMainThread() || !haveApplication()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work),
                              Qt::BlockingQueuedConnection);
}
