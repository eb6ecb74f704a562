#include "tapi/TapiProviders.h"

void CTapiProviders::Register(const std::string& name, TapiProviderFactory factory) {
    std::lock_guard lock(m_mutex);
    if (factory)
        m_factories[name] = std::move(factory);
    else
        m_factories.erase(name);
}

bool CTapiProviders::Has(const std::string& name) const {
    std::lock_guard lock(m_mutex);
    return m_factories.count(name) != 0;
}

void CTapiProviders::Choose(const std::string& name) {
    std::lock_guard lock(m_mutex);
    m_sChosen = name;
}

std::string CTapiProviders::Chosen() const {
    std::lock_guard lock(m_mutex);
    return m_sChosen;
}

std::unique_ptr<ITapiProvider> CTapiProviders::Make(std::string* pWhy) const {
    return Make(Chosen(), pWhy);
}

std::unique_ptr<ITapiProvider> CTapiProviders::Make(const std::string& name,
                                                    std::string* pWhy) const {
    TapiProviderFactory factory;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_factories.find(name);
        if (it != m_factories.end())
            factory = it->second;
    }
    // Made outside the lock: a maker may take its time, or load a plugin
    // that registers another maker.
    std::string why;
    std::unique_ptr<ITapiProvider> provider;
    if (!factory)
        why = name.empty() ? "no telephony provider is chosen"
                           : "no telephony provider \"" + name + "\"";
    else
        provider = factory(&why);
    if (!provider && why.empty())
        why = "the telephony provider \"" + name + "\" made no provider";
    if (pWhy)
        *pWhy = provider ? std::string() : why;
    return provider;
}
