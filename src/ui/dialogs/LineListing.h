// Fills a line choice with the telephony layer's lines. The provider is
// asked on a thread of its own, so a slow one never holds up the window;
// meanwhile, and when there is no line, the note says why the choice is
// empty. Each item carries its line's device id (nTAPILine). The lines are
// those of the program's chosen provider (none without a registry).
#pragma once

#include "app/TelephonyLines.h"

#include <QObject>

#include <thread>

class QComboBox;
class QLabel;

class CLineListing : public QObject {
    Q_OBJECT
public:
    CLineListing(const CTapiProviders* pProviders, QComboBox* box, QLabel* note,
                 QObject* parent = nullptr);
    // Waits for a listing still running (it only asks the provider).
    ~CLineListing() override;

    // Lists anew; nSelected (a device id) is chosen when it is listed.
    void Start(int nSelected);
    bool IsDone() const { return m_bDone; }
    // The chosen line's device id; nFallback when none is listed.
    int ChosenLine(int nFallback) const;

signals:
    void Listed();

private:
    void Show(const TelephonyLineList& list, int nSelected);

    const CTapiProviders* m_pProviders;
    QComboBox* m_pBox;
    QLabel* m_pNote;
    std::thread m_thread;
    bool m_bDone = false;
};
