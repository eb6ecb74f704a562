// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program as a test drives it: the Qt front end with its pop-up,
// the start-up environment, and the application whose engine worker the
// test keeps a pointer to once the application has made it.
#pragma once

#include "app/App.h"
#include "app/EngineWorker.h"
#include "app/StartupEnvironment.h"
#include "frontend/QtFrontEnd.h"
#include "tapi/TapiProviders.h"

#include <memory>
#include <string>

struct CDesktopUnderTest {
    CQtFrontEnd frontEnd{CCallNotifier::Kind::PopupWindow};
    CStartupEnvironment env{[](const std::string&) {}};
    CEngineWorker* pWorker = nullptr;
    CTapiProviders providers;
    CTarvo32App app{frontEnd, env, [this]() -> std::unique_ptr<IAppWorker> {
                        auto worker =
                            std::make_unique<CEngineWorker>(frontEnd.WorkerBridge(), providers);
                        pWorker = worker.get();
                        return worker;
                    }};
};
