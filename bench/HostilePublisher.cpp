// bench_hostile_publisher: publishes hostile messages to a broker on 127.0.0.1 at a steady
// rate until it is stopped, for soaking a viewer (bench/soak.sh).
//
//   bench_hostile_publisher --port N [--seed S] [--rate MESSAGES_PER_S] [--topics N] [--large-every N]
//
// The same seed gives the same messages in the same order. Once a second it prints
// "published MESSAGES BYTES" on stdout. It exits non-zero when it cannot connect or loses the
// broker, and with 0 on SIGTERM or SIGINT.

#include "HostileMessages.h"

#include <mosquitto.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

struct Options
{
    int port = 0;
    std::uint64_t seed = 1;
    double rate = 40;
    int topics = 500;
    int largeEvery = 2000;
};

bool parse(int argc, char **argv, Options &options)
{
    for (int index = 1; index + 1 < argc; index += 2) {
        const std::string name = argv[index];
        char *end = nullptr;
        const double value = std::strtod(argv[index + 1], &end);
        if (*end != '\0' || value < 0)
            return false;
        if (name == "--port")
            options.port = int(value);
        else if (name == "--seed")
            options.seed = std::uint64_t(value);
        else if (name == "--rate")
            options.rate = value;
        else if (name == "--topics")
            options.topics = int(value);
        else if (name == "--large-every")
            options.largeEvery = int(value);
        else
            return false;
    }
    return argc % 2 == 1 && options.port > 0 && options.port < 65536 && options.rate > 0;
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "Usage: %s --port N [--seed S] [--rate MESSAGES_PER_S] [--topics N] [--large-every N]\n",
                     argv[0]);
        return 2;
    }
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);

    mosquitto_lib_init();
    mosquitto *const mosq = mosquitto_new(nullptr, true, nullptr);
    if (!mosq || mosquitto_connect(mosq, "127.0.0.1", options.port, 60) != MOSQ_ERR_SUCCESS
        || mosquitto_loop_start(mosq) != MOSQ_ERR_SUCCESS) {
        std::fprintf(stderr, "hostile publisher: cannot connect to port %d\n", options.port);
        return 1;
    }

    HostileMessages messages(options.seed, options.topics, options.largeEvery);
    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / options.rate));
    auto due = Clock::now();
    auto nextReport = due;
    long long published = 0;
    long long bytes = 0;
    int status = 0;
    while (!stopRequested) {
        const HostileMessages::Message message = messages.next();
        const int result = mosquitto_publish(mosq, nullptr, message.topic.c_str(), int(message.payload.size()),
                                             message.payload.data(), 0, message.retain);
        if (result == MOSQ_ERR_NO_CONN || result == MOSQ_ERR_CONN_LOST) {
            std::fprintf(stderr, "hostile publisher: lost the broker after %lld messages\n", published);
            status = 1;
            break;
        }
        if (result != MOSQ_ERR_SUCCESS) {
            std::fprintf(stderr, "hostile publisher: a %zu-byte topic was refused: %s\n", message.topic.size(),
                         mosquitto_strerror(result));
        } else {
            ++published;
            bytes += (long long)message.payload.size();
        }
        if (Clock::now() >= nextReport) {
            std::printf("published %lld %lld\n", published, bytes);
            std::fflush(stdout);
            nextReport += std::chrono::seconds(1);
        }
        due += interval;
        std::this_thread::sleep_until(due);
    }
    mosquitto_disconnect(mosq);
    mosquitto_loop_stop(mosq, false);
    mosquitto_destroy(mosq);
    mosquitto_lib_cleanup();
    return status;
}
