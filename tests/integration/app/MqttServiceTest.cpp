// vorellad's call events on a real MQTT broker (mosquitto on 127.0.0.1), read
// by a subscriber of the test's own: a call on the simulated modem, the
// broker away during the next one, the will and the orderly "offline".
#include "MqttBroker.h"
#include "ServiceTest.h"

#include "mqtt/CallFacts.h"
#include "screening/ContactStore.h"
#include "screening/PhoneNumbers.h"

#include <csignal>
#include <random>
#include <regex>

namespace {

class MqttServiceTest : public ServiceTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(broker.Start()) << broker.Log();
        subscriber = std::make_unique<MqttSubscriber>(broker.Port(), "test");
        UseModem("hash", "nComPort=9\nnAction=1\nnRings=2\n");
        const std::string ini = home.File("vorella.ini");
        WriteProfileIntTo(ini, "MQTT", "bEnable", 1);
        WriteProfileStringTo(ini, "MQTT", "sHost", "127.0.0.1");
        WriteProfileIntTo(ini, "MQTT", "nPort", broker.Port());
        WriteProfileIntTo(ini, "MQTT", "bCommands", 1);
        StartService();
        ASSERT_TRUE(Heard("vorella/availability", "online")) << Log() << broker.Log();
    }
    // The last payload on topic is payload (waiting for it).
    bool Heard(const std::string& topic, const std::string& payload) {
        return subscriber->WaitFor([&](const std::vector<MqttHeard>&) {
            const std::vector<std::string> on = subscriber->On(topic);
            return !on.empty() && on.back() == payload;
        });
    }
    // The event types heard so far, in order.
    std::vector<std::string> EventTypes() const {
        static const std::regex kType(R"re(^\{"event_type":"([a-z_]+)")re");
        std::vector<std::string> types;
        std::smatch m;
        for (const std::string& e : subscriber->On("vorella/event"))
            types.push_back(std::regex_search(e, m, kType) ? m[1].str() : "BAD: " + e);
        return types;
    }
    size_t Count(const std::string& type) const {
        const std::vector<std::string> t = EventTypes();
        return std::count(t.begin(), t.end(), type);
    }
    // A discovery config's copies sent as they were published (a copy marked
    // retained is the broker's answer to the subscription).
    long ConfigsSent() const {
        const std::vector<MqttHeard> heard = subscriber->Heard();
        return std::count_if(heard.begin(), heard.end(), [](const MqttHeard& h) {
            return h.topic == "homeassistant/sensor/vorella/unheard/config" && !h.bRetained;
        });
    }

    MqttBroker broker{home.File("")};
    std::unique_ptr<MqttSubscriber> subscriber;
};

TEST_F(MqttServiceTest, CallsAreToldInOrderOnceEachThroughABrokerOutage) {
    CallerSpeaks("5551234", "JOHN DOE");
    sim->FarEndHangsUp(3000);
    sim->Ring(4, modemsim::RingCadence::Fast());
    ASSERT_TRUE(subscriber->WaitFor([&](auto&) { return Count("ended") == 1; })) << Log();
    const std::vector<std::string> events = subscriber->On("vorella/event");
    const auto caller = std::find_if(events.begin(), events.end(), [](const std::string& e) {
        return e.starts_with(R"({"event_type":"caller")");
    });
    ASSERT_NE(caller, events.end());
    EXPECT_NE(caller->find(R"("number":"5551234")"), std::string::npos) << *caller;
    EXPECT_NE(caller->find(R"("name":"JOHN DOE")"), std::string::npos) << *caller;

    // The message is heard (as the Calls view marks it): the next call's
    // state counts it no more.
    const CPhoneNumbers numbers("US", "");
    CContactStore store(numbers);
    ASSERT_TRUE(store.Open(home.File("minidb.dat")));
    ASSERT_TRUE(
        WaitUntil([&] { return store.Calls(HistoryFilter::UnheardMessages, 0, 9).size() == 1; }));
    ASSERT_TRUE(store.MarkHeard(store.Calls(HistoryFilter::UnheardMessages, 0, 9)[0].nId, true));

    // The broker goes; the next call (unanswered) waits for it, and the log
    // says what became of the connection.
    ASSERT_TRUE(subscriber->Sync());
    broker.Stop();
    CallerSpeaks("5559876", "JANE ROE");
    sim->Ring(1, modemsim::RingCadence::Fast());
    ASSERT_TRUE(WaitUntil([&] { return Occurrences(Log(), "call ended") == 2; }, 60000)) << Log();
    EXPECT_TRUE(Logged("MQTT: no connection to the broker at 127.0.0.1:")) << Log();
    ASSERT_TRUE(broker.Start()) << broker.Log();
    ASSERT_TRUE(subscriber->WaitFor([&](auto&) { return Count("ended") == 2; }))
        << ::testing::PrintToString(EventTypes()) << broker.Log();
    EXPECT_TRUE(Logged("MQTT: connected to the broker at 127.0.0.1:")) << Log();

    // The line taken again for the message is told again.
    const std::vector<std::string> wanted = {"line_back", "ringing",  "caller",    "screened",
                                             "ringing",   "answered", "recording", "answered",
                                             "stored",    "ended",    "ringing",   "caller",
                                             "screened",  "missed",   "ended"};
    EXPECT_EQ(EventTypes(), wanted) << Log();
    // The state and the discovery configs again on the new connection.
    EXPECT_TRUE(Heard("vorella/state", R"({"state":"idle","unheard":0,)"
                                       R"("last_caller_number":"5559876",)"
                                       R"("last_caller_name":"JANE ROE"})"));
    EXPECT_EQ(ConfigsSent(), 2);

    EXPECT_EQ(Quit(), 0) << Log();
    EXPECT_TRUE(Heard("vorella/availability", "offline"));
}

// Commands (bCommands) work as the control socket's; a malformed one is
// told and changes nothing. The will says "offline" for a killed service.
TEST_F(MqttServiceTest, CommandsAreTakenAndTheWillSaysOfflineWhenKilled) {
    subscriber->Publish("vorella/set/monitoring", "maybe");
    EXPECT_TRUE(WaitUntil([&] {
        return Logged(R"(MQTT: command ignored: monitoring wants ON or OFF )"
                      R"((topic "vorella/set/monitoring", payload "maybe"))");
    })) << Log();
    EXPECT_TRUE(StatusBecomes("monitoring: on\n"));
    subscriber->Publish("vorella/set/monitoring", "OFF");
    EXPECT_TRUE(StatusBecomes("monitoring: off\n")) << Log();
    // Home Assistant started again: the configs come again.
    subscriber->Publish("homeassistant/status", "online");
    EXPECT_TRUE(subscriber->WaitFor([&](auto&) { return ConfigsSent() == 2; }));

    service.Signal(SIGKILL);
    service.Wait();
    EXPECT_TRUE(Heard("vorella/availability", "offline")) << broker.Log();
}

// A login and TLS, each as the broker asks for it or not: the service gets
// in, or its log says why not, once.
class MqttLoginTest : public ServiceTest {
protected:
    void SetUp() override { UseModem("hash", "nComPort=9\n"); }
};

TEST_F(MqttLoginTest, TheBrokerTakesTheLoginOrTheLogSaysWhyNot) {
    const std::string dir = home.File("");
    // The broker's certificate for 127.0.0.1 is its own authority.
    for (const std::vector<std::string>& argv : std::vector<std::vector<std::string>>{
             {"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
              dir + "server.key", "-out", dir + "ca.crt", "-days", "2", "-subj", "/CN=127.0.0.1",
              "-addext", "subjectAltName=IP:127.0.0.1"},
             {"/usr/bin/mosquitto_passwd", "-b", "-c", dir + "passwords", "vorella", "s3cret"}}) {
        const ProgramRun made = RunProgram(argv);
        ASSERT_EQ(made.nExit, 0) << made.err;
    }
    const std::string login = "password_file " + dir + "passwords\nallow_anonymous false\n";
    const std::string tls =
        "certfile " + dir + "ca.crt\nkeyfile " + dir + "server.key\nallow_anonymous true\n";
    struct Row {
        const char* name;
        const std::string& config;
        std::string sUser, sPassword, nSecurity, sCaFile;
        const char* told; // in the service's log; "" when it gets in
    };
    const std::vector<Row> rows = {
        {"password", login, "vorella", "s3cret", "0", "", ""},
        {"wrong password", login, "vorella", "guess", "0", "",
         "refused the login: Connection Refused: not authorised."},
        {"TLS with our CA", tls, "", "", "1", dir + "ca.crt", ""},
        {"TLS with the system's CAs", tls, "", "", "1", "", "MQTT: TLS failed with 127.0.0.1:"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MqttBroker broker(dir, row.config);
        ASSERT_TRUE(broker.Start()) << broker.Log();
        const std::string ini = home.File("vorella.ini");
        for (const auto& [key, value] : std::vector<std::pair<const char*, std::string>>{
                 {"bEnable", "1"},
                 {"sHost", "127.0.0.1"},
                 {"nPort", std::to_string(broker.Port())},
                 {"sUser", row.sUser},
                 {"sPassword", row.sPassword},
                 {"nSecurity", row.nSecurity},
                 {"sCaFile", row.sCaFile}})
            WriteProfileStringTo(ini, "MQTT", key, value);
        home.Write("vorellad.log", "");
        StartService();
        if (*row.told) {
            EXPECT_TRUE(WaitUntil([&] { return Logged(row.told); })) << Log();
        } else {
            EXPECT_TRUE(WaitUntil([&] {
                return broker.Log().find("New client connected from 127.0.0.1") !=
                       std::string::npos;
            })) << broker.Log()
                << Log();
        }
        EXPECT_EQ(Terminate(), 0);
        EXPECT_EQ(LinesStartingWith("status: MQTT:"), *row.told ? 1 : 0) << Log();
    }
}

// Whatever a caller's name holds, each message is one valid JSON object of
// bounded size (python's json module is the judge).
TEST(MqttCallFacts, HostileCallerNamesStayValidBoundedJson) {
    std::mt19937 random(29);
    std::string noise(10240, ' ');
    for (char& c : noise)
        c = static_cast<char>(random() % 256);
    const std::vector<std::string> names = {R"(He said "hi" \ bye)", "line\nbreak\r\t\x01\x1f\x7f",
                                            std::string("nul\0in", 6), std::string(10240, '"'),
                                            noise};
    for (const std::string& name : names) {
        CCallFacts facts;
        for (const std::string& json :
             facts.Follow(CallerIdentified{name, name, name, name, name}, nullptr)) {
            EXPECT_LT(json.size(), 6 * 5 * CCallFacts::kMaxText + 200);
            const ProgramRun parsed =
                RunProgram({"python3", "-c", "import json,sys; json.loads(sys.argv[1])", json});
            EXPECT_EQ(parsed.nExit, 0) << parsed.err << json.substr(0, 200);
        }
    }
}

} // namespace
