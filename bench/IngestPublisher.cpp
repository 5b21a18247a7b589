#include "IngestPublisher.h"

#include <mosquitto.h>

#include <cstdio>

int runIngestPublisher(int port, const IngestWorkload &workload)
{
    mosquitto_lib_init();
    mosquitto *const mosq = mosquitto_new(nullptr, true, nullptr);
    if (!mosq || mosquitto_connect(mosq, "127.0.0.1", port, 60) != MOSQ_ERR_SUCCESS
        || mosquitto_loop_start(mosq) != MOSQ_ERR_SUCCESS) {
        std::fprintf(stderr, "publisher: cannot connect to port %d\n", port);
        return 1;
    }
    for (qint64 index = 0; index < workload.messageCount(); ++index) {
        const QByteArray topic = workload.topic(index);
        const QByteArray payload = workload.payload(index);
        mosquitto_publish(mosq, nullptr, topic.constData(), int(payload.size()), payload.constData(), 0, false);
    }
    // The disconnect is queued behind every publication, and the loop ends once it is written.
    mosquitto_disconnect(mosq);
    mosquitto_loop_stop(mosq, false);
    mosquitto_destroy(mosq);
    mosquitto_lib_cleanup();
    return 0;
}
