// A SIP line on 127.0.0.1 (any free port) under the program's own telephony
// line classes, with the messages it posts to the call engine.
#pragma once

#include "../../unit/tapi/TapiTestSupport.h"
#include "sip/SipProvider.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// A provider with one account on 127.0.0.1 (any free port); its state in sFolder.
inline std::unique_ptr<CSipProvider> MakeSipTestProvider(const std::string& sFolder,
                                                         SipTransport transport = SipTransport::Udp,
                                                         const std::string& sTlsCaFile = "",
                                                         int nRingRepeatMs = 5000) {
    SipAccount account;
    account.sUser = "vorella";
    account.sBindAddress = "127.0.0.1";
    account.nPort = 0;
    account.transport = transport;
    account.sTlsCaFile = sTlsCaFile;
    CSipProvider::Options options;
    options.sStateFolder = sFolder;
    options.nRingRepeatMs = nRingRepeatMs;
    return std::make_unique<CSipProvider>(std::vector<SipAccount>{account}, options);
}

struct SipTestLine {
    // Opens line 0 of a provider with one account; its state in sFolder.
    void Open(const std::string& sFolder, SipTransport transport = SipTransport::Udp,
              const std::string& sTlsCaFile = "", int nRingRepeatMs = 5000) {
        provider = MakeSipTestProvider(sFolder, transport, sTlsCaFile, nRingRepeatMs);
        tapi = std::make_unique<CMyTapi>(*provider, posted.Link());
        ASSERT_TRUE(tapi->Start());
        ASSERT_TRUE(tapi->OpenLine(0));
        ASSERT_GT(Port(), 0);
    }
    int Port() const { return provider->ListeningPort(0); }
    std::string Uri(const std::string& sTransport = "udp") const {
        return "sip:vorella@127.0.0.1:" + std::to_string(Port()) + ";transport=" + sTransport;
    }
    CMyLine& Line() { return *tapi->Line(); }

    CPostedMessages posted;
    std::unique_ptr<CSipProvider> provider;
    std::unique_ptr<CMyTapi> tapi;
};
