#include "ioconfiguration.h"

IoConfiguration::IoConfiguration() : timer(std::make_unique<TimerInput>()) {}

IoConfiguration::~IoConfiguration()
{
    // Users first: ports may still hand data to them until their streams close.
    for (auto& port : ports)
        port->clearUsers();
}

IoConfiguration::IoConfiguration(IoConfiguration&& other) noexcept
    : ports(std::move(other.ports)), timer(std::move(other.timer)), rips(std::move(other.rips)),
      requests(std::move(other.requests)), monitors(std::move(other.monitors))
{
    other.timer = std::make_unique<TimerInput>();
}

IoConfiguration& IoConfiguration::operator=(IoConfiguration&& other) noexcept
{
    if (this != &other) {
        std::swap(ports, other.ports);
        std::swap(timer, other.timer);
        std::swap(rips, other.rips);
        std::swap(requests, other.requests);
        std::swap(monitors, other.monitors);
    }
    return *this;
}

StreamPort* IoConfiguration::port(int number) const
{
    if (number < 1 || number > int(ports.size()))
        return nullptr;
    return ports[std::size_t(number - 1)].get();
}

void IoConfiguration::attachUsers()
{
    for (auto& p : ports)
        p->clearUsers();
    if (timer->port() > 0) {
        if (StreamPort* p = port(timer->port()))
            p->attachUser(timer.get());
    }
    for (auto& rip : rips) {
        if (StreamPort* p = port(rip->port()))
            p->attachUser(rip.get());
    }
    for (auto& request : requests) {
        if (StreamPort* p = port(request->requestPort()))
            p->attachUser(request.get());
        if (StreamPort* p = port(request->sendPort()))
            p->attachUser(request.get());
    }
    for (auto& monitor : monitors) {
        if (StreamPort* p = port(monitor->port()))
            p->attachUser(monitor.get());
    }
}

IoConfiguration IoConfiguration::clone() const
{
    IoConfiguration copy;
    for (const auto& p : ports)
        copy.ports.push_back(p->clone());
    copy.timer->copyConfiguration(*timer);
    for (const auto& rip : rips)
        copy.rips.push_back(rip->clone());
    for (const auto& request : requests)
        copy.requests.push_back(request->clone());
    for (const auto& monitor : monitors)
        copy.monitors.push_back(monitor->clone());
    copy.attachUsers();
    return copy;
}

void IoConfiguration::clear()
{
    for (auto& p : ports)
        p->clearUsers();
    monitors.clear();
    requests.clear();
    rips.clear();
    timer = std::make_unique<TimerInput>();
    ports.clear();
}
