// The set-up wizard's page for the USB telephone adapter: its sound card
// and input device. Shown after the access page when the adapter is chosen.
#pragma once

#include <QWizardPage>

#include <string>

class CAdapterFields;
class ISoundBackend;
class QLabel;

class CAdapterPage : public QWizardPage {
    Q_OBJECT
public:
    // Opens with the choices the settings hold; the cards are those backend lists.
    CAdapterPage(ISoundBackend& backend, const std::string& soundCard, const std::string& input,
                 QWidget* parent = nullptr);
    CAdapterFields* Fields() const { return m_pFields; }
    // What keeps the adapter from opening with the choices made ("" none).
    QLabel* Problems() const { return m_pProblems; }

protected:
    // Lists the cards and input devices present each time the page is shown
    // (the adapter may have been plugged in meanwhile), keeping the choice.
    void initializePage() override;

private:
    void UpdateProblems();

    CAdapterFields* m_pFields;
    QLabel* m_pProblems;
    std::string m_sSoundCard;
    std::string m_sInput;
    bool m_bShown = false;
};
