#include "app/MqttService.h"

#include "app/ContactsLogic.h"
#include "app/ExternalControl.h"
#include "mqtt/MqttClient.h"
#include "platform/ControlSocket.h"
#include "screening/ContactStore.h"
#include "screening/PhoneNumbers.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

// The unheard messages in the call history of the contacts file, up to
// kMaxCounted; -1 when the file cannot be read.
int CountUnheard() {
    constexpr int kMaxCounted = 1000;
    const ContactsPlace place = ContactsPlaceFromSettings();
    const CPhoneNumbers numbers(place.sCountry, place.sAreaCode);
    CContactStore store(numbers);
    if (!store.Open(place.sPath))
        return -1;
    return static_cast<int>(store.Calls(HistoryFilter::UnheardMessages, 0, kMaxCounted).size());
}

} // namespace

CMqttService::CMqttService(ControlServer& loop, IExternalControl& control, Report report)
    : m_loop(loop), m_control(control), m_report(std::move(report)) {}

CMqttService::~CMqttService() {
    Stop();
}

void CMqttService::Start(ISettingsProvider& settings, CCallEventPublisher* events) {
    Stop();
    m_sStartProblem.clear();
    MqttSettings s = MqttSettings::Read(settings);
    if (!s.bEnable || !events)
        return;
    if (s.sHost.empty()) {
        m_sStartProblem = "MQTT: no broker is set (sHost); the call events are not published";
        m_report(m_sStartProblem);
        return;
    }
    if (s.bCommands) {
        m_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (m_fd < 0) {
            m_report(std::string("MQTT: commands are not taken: ") + std::strerror(errno));
            s.bCommands = false;
        } else {
            m_loop.Watch(m_fd, [this] { OnReady(); });
        }
    }
    m_client = std::make_unique<CMqttClient>(
        s, m_report, [this](const MqttCommand& c) { Take(c); }, CountUnheard);
    if (!m_client->Start(*events)) {
        m_sStartProblem = m_client->LastProblem();
        m_client.reset();
    }
}

std::string CMqttService::LastProblem() const {
    return m_client ? m_client->LastProblem() : m_sStartProblem;
}

void CMqttService::Stop() {
    m_client.reset();
    if (m_fd >= 0) {
        m_loop.Unwatch(m_fd);
        ::close(m_fd);
        m_fd = -1;
    }
    std::lock_guard lock(m_mutex);
    m_waiting.clear();
}

void CMqttService::Take(const MqttCommand& command) {
    {
        std::lock_guard lock(m_mutex);
        if (m_waiting.size() >= kMaxWaiting) {
            m_report("MQTT: a command was dropped: too many are waiting");
            return;
        }
        m_waiting.push_back(command);
    }
    const uint64_t one = 1;
    if (::write(m_fd, &one, sizeof one) < 0 && errno != EAGAIN)
        m_report(std::string("MQTT: a command could not be handed on: ") + std::strerror(errno));
}

void CMqttService::OnReady() {
    uint64_t count = 0;
    if (::read(m_fd, &count, sizeof count) < 0 && errno != EAGAIN)
        return;
    std::deque<MqttCommand> commands;
    {
        std::lock_guard lock(m_mutex);
        commands.swap(m_waiting);
    }
    for (const MqttCommand& c : commands)
        Carry(c);
}

void CMqttService::Carry(const MqttCommand& command) {
    switch (command.kind) {
    case MqttCommandKind::Monitoring:
        m_control.SetMonitoring(command.bOn);
        break;
    case MqttCommandKind::BlockLastCaller:
        // The reply is told where the window tells screening commands.
        m_control.PutOnList("", ContactList::Block);
        break;
    case MqttCommandKind::Record:
        m_control.StartRecording();
        break;
    case MqttCommandKind::Stop:
        m_control.StopRecording();
        break;
    }
}
