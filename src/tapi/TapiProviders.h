// The telephony providers a program can run its lines on, by name ("sip",
// "simulated"), and the one it chose. The program owns one and registers
// the providers it has at start-up; a provider in a plugin registers itself
// from the plugin's entry point (TapiPlugin.h), and tests register theirs
// the same way. Whatever opens or lists a line is given the registry.
// Safe from any thread.
#pragma once

#include "tapi/TapiProvider.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

// Makes a provider; nullptr, with *pWhy set (pWhy may be null), when it
// cannot (no line set up, its library missing).
using TapiProviderFactory = std::function<std::unique_ptr<ITapiProvider>(std::string* pWhy)>;

class CTapiProviders {
public:
    // Sets the maker of name; an empty factory removes it.
    void Register(const std::string& name, TapiProviderFactory factory);
    bool Has(const std::string& name) const;
    // The provider the program's lines run on; "" is none.
    void Choose(const std::string& name);
    std::string Chosen() const;
    // A provider from the maker of name (of the chosen one when name is
    // omitted); nullptr, with *pWhy set, when there is none or it made none.
    std::unique_ptr<ITapiProvider> Make(std::string* pWhy = nullptr) const;
    std::unique_ptr<ITapiProvider> Make(const std::string& name, std::string* pWhy) const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, TapiProviderFactory> m_factories; // under m_mutex
    std::string m_sChosen;                                  // under m_mutex
};
