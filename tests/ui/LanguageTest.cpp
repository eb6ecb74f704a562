// The desktop program in another language: run with LANGUAGE=de and
// LC_ALL=de_DE.UTF-8, the window's menus and the tray menu come from the
// shipped German catalogue, the status from the core's German messages, and
// Qt's own buttons from Qt's catalogue.
#include "CoreWindowTest.h"

#include "app/CommandIds.h"
#include "engine/CallState.h"
#include "frontend/CoreLoop.h"
#include "frontend/UiTranslations.h"
#include "main/MainDlg.h"
#include "main/MainMenu.h"
#include "platform/StringCatalogue.h"
#include "platform/Strings.h"
#include "tray/TrayMenu.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTranslator>

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

QStringList Texts(const QList<QAction*>& actions) {
    QStringList out;
    for (const QAction* a : actions)
        out << a->text();
    return out;
}

class GermanDesktopTest : public CoreWindowTest {
protected:
    GermanDesktopTest() : CoreWindowTest("vorella-de.strings") {}
    void SetUp() override {
        const std::string bin = std::getenv("VORELLA_BIN_DIR");
        qmFile = InstallTranslations(*qApp, {QString::fromStdString(bin + "/translations")});
        CoreWindowTest::SetUp();
    }

    QString qmFile;
};

} // namespace

TEST_F(GermanDesktopTest, MenusStatusAndQtsOwnTextsAreGerman) {
    ASSERT_EQ(std::getenv("LANGUAGE"), std::string("de")) << "run by CTest with the German locale";
    EXPECT_TRUE(qmFile.endsWith("/vorella_de.qm")) << qmFile.toStdString();

    CMainDlg* w = frontEnd.MainDlg();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Texts(w->menuBar()->actions()),
              (QStringList{"&Anrufe", "&Leitung", "&Ton", "E&xtras", "&Hilfe"}));
    EXPECT_EQ(w->Menu()->Action(kCmdRecord)->text(), "&Aufnehmen");
    EXPECT_EQ(w->Menu()->Action(kCmdDialNumber)->text(), "Nummer &wählen");
    // Shortcuts are not translated.
    EXPECT_EQ(w->Menu()->Action(kCmdRecord)->shortcut(), QKeySequence("Ctrl+R"));

    ASSERT_TRUE(QTest::qWaitFor([&] { return w->Status() == "Bereit"; }, 10000))
        << w->Status().toStdString();
    EXPECT_STREQ(LoadStr(110), "Gespräch wird aufgezeichnet");
    EXPECT_STREQ(LoadStr(57708), "Could not write data to the port.") << "not translated: English";

    std::unique_ptr<QMenu> tray = MakeTrayMenu("Vorella", [](int) {});
    const QStringList top = Texts(tray->actions());
    EXPECT_TRUE(top.contains("&Einstellungen...")) << top.join('|').toStdString();
    EXPECT_TRUE(top.contains("S&tatus"));
    for (QAction* a : tray->actions()) {
        if (a->menu() && a->text() == "S&tatus") {
            EXPECT_EQ(a->menu()->actions().front()->text(), "&Online\tNur Anrufanzeige");
        }
    }

    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen")
        << "Qt's own catalogue (qt6-translations-l10n)";
}

// The template holds every text of both menu tables, so that marking the
// tables for lupdate cannot silently miss one.
TEST(TranslationTemplate, HoldsEveryMenuText) {
    // English again: the test before left its translators installed.
    for (QTranslator* t : qApp->findChildren<QTranslator*>())
        QCoreApplication::removeTranslator(t);
    QMainWindow window;
    CMainMenu mainMenu(window, [](int) {});
    std::unique_ptr<QMenu> tray = MakeTrayMenu("Vorella", [](int) {});
    QList<QAction*> actions = window.menuBar()->actions() + tray->actions();
    for (int i = 0; i < actions.size(); ++i) {
        if (QMenu* sub = actions[i]->menu())
            actions += sub->actions();
    }
    QFile ts(QString::fromStdString(SourceFile("translations/vorella.ts")));
    ASSERT_TRUE(ts.open(QIODevice::ReadOnly));
    const QString xml = QString::fromUtf8(ts.readAll());
    int nTexts = 0;
    for (const QAction* a : actions) {
        if (a->isSeparator() || a->text() == "Vorella")
            continue;
        ++nTexts;
        EXPECT_TRUE(xml.contains("<source>" + a->text().toHtmlEscaped() + "</source>"))
            << a->text().toStdString() << " is not in translations/vorella.ts";
    }
    EXPECT_GT(nTexts, 40);
    EXPECT_EQ(mainMenu.Action(kCmdRecord)->text(), "&Record");
}
