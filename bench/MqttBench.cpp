// A ring told to an MQTT subscriber: from the worker handing over the event
// to the subscriber holding "<prefix>/event", through a real broker
// (mosquitto) on 127.0.0.1, against one round trip through the same broker
// (the subscriber's own publish heard back). The ratio says what the client
// adds to the broker's own cost.
#include "BenchFolder.h"
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
        MqttSettings settings;
        settings.bEnable = true;
        settings.sHost = "127.0.0.1";
        settings.nPort = broker.Port();
        CMqttClient client(settings, {}, {});
        client.Start(events);
        for (int i = 0; i < 500 && !client.IsConnected(); ++i)
            SleepMs(10);
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

} // namespace

BENCHMARK_MAIN();
