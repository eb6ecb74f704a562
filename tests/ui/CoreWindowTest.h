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
    explicit CoreWindowTest(const std::string& catalogue = "") : sCatalogue(PutInLang(catalogue)) {}
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
    const std::string sCatalogue; // empty: the program's own language
    FakeAppWorker worker;
    CQtFrontEnd frontEnd{CCallNotifier::Kind::PopupWindow};
    CBasicWindow window{frontEnd};

private:
    std::string PutInLang(const std::string& catalogue) {
        if (!catalogue.empty())
            home.CopyShipped("lang/" + catalogue);
        return catalogue;
    }
};
