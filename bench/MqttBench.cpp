// A ring told to an MQTT subscriber: from the worker handing over the event
// to the subscriber holding "<prefix>/event", through a real broker
// (mosquitto) on 127.0.0.1, against one round trip through the same broker
// (the subscriber's own publish heard back). The ratio says what the client
// adds to the broker's own cost. And 10,000 events through a broker outage.
#include "BenchFolder.h"
#include "BenchMemory.h"
#include "MqttBroker.h"

#include "engine/CallEvents.h"
#include "mqtt/MqttClient.h"
#include "platform/TickCount.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>

namespace {

bool HeardOn(const std::vector<MqttHeard>& heard, const std::string& topic) {
    for (const MqttHeard& h : heard)
        if (h.topic == topic)
            return true;
    return false;
}

// The broker on 127.0.0.1 at port, as a client's settings.
MqttSettings LocalBroker(int port) {
    MqttSettings settings;
    settings.bEnable = true;
    settings.sHost = "127.0.0.1";
    settings.nPort = port;
    return settings;
}

void StartAndConnect(CMqttClient& client, CCallEventPublisher& events) {
    client.Start(events);
    for (int i = 0; i < 500 && !client.IsConnected(); ++i)
        SleepMs(10);
}

// Mean seconds of one publish heard back by the same subscriber.
double BrokerRoundTrip(MqttSubscriber& sub, int rounds) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        sub.Clear();
        sub.Publish("bench/ping", "x");
        sub.WaitFor([](const auto& heard) { return HeardOn(heard, "bench/ping"); }, 10000);
    }
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / rounds;
}

void BM_RingToMqttSubscriber(benchmark::State& state) {
    const std::string folder = MakeBenchFolder();
    {
        MqttBroker broker(folder);
        if (!broker.Start()) {
            state.SkipWithError("mosquitto did not start");
            return;
        }
        MqttSubscriber sub(broker.Port(), "bench");
        const double reference = BrokerRoundTrip(sub, 200);

        CCallEventPublisher events;
        CMqttClient client(LocalBroker(broker.Port()), {}, {});
        StartAndConnect(client, events);
        const auto start = std::chrono::steady_clock::now();
        int nRing = 0;
        for (auto _ : state) {
            sub.Clear();
            events.Publish(CallRinging{++nRing});
            if (!sub.WaitFor([](const auto& h) { return HeardOn(h, "vorella/event"); }, 10000))
                state.SkipWithError("the ring was not heard");
        }
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        const double perRing = spent.count() / static_cast<double>(state.iterations());
        state.counters["broker_round_trip_us"] = reference * 1e6;
        state.counters["x_round_trip"] = reference > 0 ? perRing / reference : 0;
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_RingToMqttSubscriber)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The broker away while 10,000 events come: the client keeps at most its
// queue's worth (the oldest dropped and counted), so memory stays flat, and
// delivers what it kept, in order, once the broker is back.
void BM_EventsQueuedThroughABrokerOutage(benchmark::State& state) {
    const std::string folder = MakeBenchFolder();
    {
        MqttBroker broker(folder);
        if (!broker.Start()) {
            state.SkipWithError("mosquitto did not start");
            return;
        }
        MqttSubscriber sub(broker.Port(), "bench-outage");
        CCallEventPublisher events;
        CMqttClient client(LocalBroker(broker.Port()), {}, {});
        StartAndConnect(client, events);
        constexpr int kEvents = 10000;
        for (auto _ : state) {
            sub.Clear();
            broker.Stop();
            for (int i = 0; i < 500 && client.IsConnected(); ++i)
                SleepMs(10);
            const size_t rss0 = ResidentBytes();
            for (int i = 1; i <= kEvents; ++i)
                events.Publish(CallRinging{i});
            const size_t rss1 = ResidentBytes();
            broker.Start();
            const auto last = "\"rings\":" + std::to_string(kEvents);
            if (!sub.WaitFor(
                    [&](const auto& heard) {
                        for (const MqttHeard& h : heard)
                            if (h.topic == "vorella/event" &&
                                h.payload.find(last) != std::string::npos)
                                return true;
                        return false;
                    },
                    60000))
                state.SkipWithError("the last event was not delivered");
            state.counters["delivered"] = static_cast<double>(sub.On("vorella/event").size());
            state.counters["rss_growth_kb"] =
                static_cast<double>(rss1 > rss0 ? rss1 - rss0 : 0) / 1024.0;
        }
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_EventsQueuedThroughABrokerOutage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
