// The desktop program's windows with the hidden window's core behind them,
// on a scripted worker: the fixture of the tests that drive the main window
// as the program has it.
#pragma once

#include "FakeAppWorker.h"
#include "OpenBoxes.h"
#include "TempHome.h"

#include "app/Brand.h"
#include "frontend/QtFrontEnd.h"

#include <gtest/gtest.h>

class CoreWindowTest : public ::testing::Test {
protected:
    // The core's catalogue of another language, put in the program folder's
    // lang/ (where it is looked for first) before the windows are made: the
    // first LoadStr, which may come while they are made, reads it.
    explicit CoreWindowTest(const std::string& catalogue = "")
        : bCatalogue(catalogue.empty() || (home.CopyShipped("lang/" + catalogue), true)) {}
    void SetUp() override {
        SetAppBrand({"Vorella", "Copyright (C) 2026 The Vorella developers",
                     "https://vorella.example.org/"});
        std::string error;
        ASSERT_EQ(window.Create(&error), CControlService::StartResult::Serving) << error;
        window.AttachWorker(worker);
        frontEnd.AttachWindow(&window);
        frontEnd.ShowMainWindow(true);
    }
    void TearDown() override {
        CloseBoxes();
        SetAppBrand({});
    }

    TempHome home;
    const bool bCatalogue;
    FakeAppWorker worker;
    CQtFrontEnd frontEnd{CCallNotifier::Kind::PopupWindow};
    CBasicWindow window{frontEnd};
};
