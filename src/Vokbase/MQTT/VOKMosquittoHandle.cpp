#include "VOKMosquittoHandle.h"

#include "VOKMosquittoCallbackGate.h"
#include "VOKMosquittoCallbackTarget.h"

#include <QThreadPool>

#include <mosquitto.h>
#include <openssl/ssl.h>

#include <cerrno>
#include <csignal>
#include <mutex>

namespace {

// Teardowns wait for the network (a disconnect, the end of the network thread); they get threads
// of their own so a slow one never holds up other background work. Destroyed at exit, which
// waits for the teardowns still running.
QThreadPool &teardownPool()
{
    static QThreadPool pool;
    static std::once_flag configured;
    std::call_once(configured, [] { pool.setMaxThreadCount(8); });
    return pool;
}

// Connect requests wait for name resolution; they get threads apart from the teardowns so that a
// slow resolver never delays giving handles up.
QThreadPool &backgroundPool()
{
    static QThreadPool pool;
    static std::once_flag configured;
    std::call_once(configured, [] { pool.setMaxThreadCount(4); });
    return pool;
}

VOKMosquittoCallbackGate &gateOf(void *userData)
{
    return *static_cast<VOKMosquittoCallbackGate *>(userData);
}

void onConnect(mosquitto *, void *userData, int result)
{
    if (!userData)
        return;
    const VOKMosquittoCallbackGate::Pass pass(gateOf(userData));
    if (pass.target())
        pass.target()->mosquittoConnected(result);
}

void onMessage(mosquitto *, void *userData, const mosquitto_message *message)
{
    if (!userData || !message)
        return;
    const VOKMosquittoCallbackGate::Pass pass(gateOf(userData));
    if (pass.target())
        pass.target()->mosquittoReceivedMessage(*message);
}

void onDisconnect(mosquitto *, void *userData, int result)
{
    const int errorNumber = errno;
    if (!userData)
        return;
    const VOKMosquittoCallbackGate::Pass pass(gateOf(userData));
    if (pass.target())
        pass.target()->mosquittoDisconnected(result, errorNumber);
}

void onLog(mosquitto *, void *userData, int level, const char *text)
{
    // The library logs every packet at debug level: leave those before taking any lock.
    if (!userData || (level != MOSQ_LOG_WARNING && level != MOSQ_LOG_ERR))
        return;
    const VOKMosquittoCallbackGate::Pass pass(gateOf(userData));
    if (pass.target())
        pass.target()->mosquittoLogged(level, text ? text : "");
}

} // namespace

struct VOKMosquittoHandle::Access
{
    std::mutex mutex;
    // Null once the teardown has begun.
    mosquitto *mosq = nullptr;
};

std::unique_ptr<VOKMosquittoHandle> VOKMosquittoHandle::create(VOKMosquittoCallbackTarget *target)
{
    static std::once_flag libraryInitialised;
    std::call_once(libraryInitialised, [] {
        mosquitto_lib_init();
        // OpenSSL would otherwise clean up at exit before the thread pools, whose work may still
        // be making a TLS context, have finished.
        OPENSSL_init_ssl(OPENSSL_INIT_NO_ATEXIT, nullptr);
        // OpenSSL writes to a TLS socket with write(), which raises SIGPIPE when the server has
        // closed it: that would end the whole program instead of failing the write.
        std::signal(SIGPIPE, SIG_IGN);
    });

    auto gate = std::make_shared<VOKMosquittoCallbackGate>(target);
    mosquitto *mosq = mosquitto_new(nullptr, true, gate.get());
    if (!mosq)
        return nullptr;
    return std::unique_ptr<VOKMosquittoHandle>(new VOKMosquittoHandle(mosq, std::move(gate)));
}

VOKMosquittoHandle::VOKMosquittoHandle(mosquitto *mosq, std::shared_ptr<VOKMosquittoCallbackGate> gate)
    : m_mosq(mosq)
    , m_gate(std::move(gate))
    , m_access(std::make_shared<Access>())
{
    m_access->mosq = mosq;
}

VOKMosquittoHandle::~VOKMosquittoHandle()
{
    m_gate->close();
    // The gate stays alive until the library handle that points at it is gone.
    teardownPool().start([mosq = m_mosq, gate = m_gate, access = m_access] {
        {
            const std::lock_guard<std::mutex> locker(access->mutex);
            access->mosq = nullptr;
        }
        mosquitto_disconnect(mosq);
        mosquitto_loop_stop(mosq, false);
        mosquitto_destroy(mosq);
    });
}

void VOKMosquittoHandle::installCallbacks()
{
    mosquitto_connect_callback_set(m_mosq, onConnect);
    mosquitto_message_callback_set(m_mosq, onMessage);
    mosquitto_disconnect_callback_set(m_mosq, onDisconnect);
    mosquitto_log_callback_set(m_mosq, onLog);
}

void VOKMosquittoHandle::runInBackground(std::function<void(mosquitto *)> work) const
{
    backgroundPool().start([access = m_access, work = std::move(work)] {
        const std::lock_guard<std::mutex> locker(access->mutex);
        if (access->mosq)
            work(access->mosq);
    });
}

bool VOKMosquittoHandle::waitForTeardowns(int msecs)
{
    return teardownPool().waitForDone(msecs);
}
