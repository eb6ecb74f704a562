// The options dialog: pages chosen from a list on the left. It works
// on a copy of the values; OK checks what was typed and hands the values
// on, Cancel forgets them. Modal to the user, opened with open() so the
// program's loop goes on. A page taller than the screen allows scrolls, so
// the dialog and its buttons fit the screen.
#pragma once

#include "app/OptionsLogic.h"

#include <QDialog>

#include <vector>

class CAdvancedPage;
class CDevicePage;
class CEmailPage;
class CEventsPage;
class CGeneralPage;
class COptionsPage;
class CScreeningPage;
class CSoundsPage;
class CSpeechPage;
class CWebPage;
class IGreetingLine;
class ISoundBackend;
class QListWidget;
class QStackedWidget;
class CTapiProviders;

class COptionsTreeDlg : public QDialog {
    Q_OBJECT
public:
    // The telephone device page lists the lines of pProviders' chosen one.
    COptionsTreeDlg(const OptionsValues& values, ISoundBackend& backend, IGreetingLine* pLine,
                    const CTapiProviders* pProviders = nullptr, QWidget* parent = nullptr);

    // The values after OK.
    const OptionsValues& Values() const { return m_values; }

    QListWidget* PageList() const { return m_pList; }
    // Each page in a scroll area of its own.
    QStackedWidget* Pages() const { return m_pStack; }
    COptionsPage* CurrentPage() const;
    CGeneralPage* General() const { return m_pGeneral; }
    CAdvancedPage* Advanced() const { return m_pAdvanced; }
    CEmailPage* Email() const { return m_pEmail; }
    CDevicePage* Device() const { return m_pDevice; }
    CSoundsPage* Sounds() const { return m_pSounds; }
    CScreeningPage* Screening() const { return m_pScreening; }
    CSpeechPage* Speech() const { return m_pSpeech; }
    CEventsPage* Events() const { return m_pEvents; }
    CWebPage* Web() const { return m_pWeb; }

    // OK: refused with a message while a check fails.
    void accept() override;

private:
    void AddPage(const QString& text, COptionsPage* page);
    // The size the pages want, within the screen's free area.
    void FitScreen();

    OptionsValues m_before;
    OptionsValues m_values;
    QListWidget* m_pList;
    QStackedWidget* m_pStack;
    CGeneralPage* m_pGeneral;
    CAdvancedPage* m_pAdvanced;
    CEmailPage* m_pEmail;
    CDevicePage* m_pDevice;
    CSoundsPage* m_pSounds;
    CScreeningPage* m_pScreening;
    CSpeechPage* m_pSpeech;
    CEventsPage* m_pEvents;
    CWebPage* m_pWeb;
    std::vector<COptionsPage*> m_pages; // in the list's order
};
