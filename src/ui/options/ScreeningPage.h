// "Screening": the country numbers are read in, what happens to blocked and
// permitted callers, the pause switch, the repeat caller, the challenge,
// mail only about contacts, and the contacts file.
#pragma once

#include "options/OptionsPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

class CScreeningPage : public COptionsPage {
    Q_OBJECT
public:
    explicit CScreeningPage(QWidget* parent = nullptr);
    void Load(const OptionsValues& v) override;
    void Save(OptionsValues& v) const override;

    QComboBox* CountryBox() const { return m_pCountry; }
    QComboBox* BlockedBox() const { return m_pBlocked; }
    QCheckBox* DropBox() const { return m_pDrop; }
    QComboBox* PermittedBox() const { return m_pPermitted; }
    QCheckBox* PausedBox() const { return m_pPaused; }
    QSpinBox* RepeatBox() const { return m_pRepeat; }
    QCheckBox* ChallengeBox() const { return m_pChallenge; }
    QCheckBox* MailContactsBox() const { return m_pMailContacts; }
    QLineEdit* FileBox() const { return m_pFile; }

private:
    void Browse();

    QComboBox* m_pCountry;
    QComboBox* m_pBlocked;
    QCheckBox* m_pDrop;
    QComboBox* m_pPermitted;
    QCheckBox* m_pPaused;
    QSpinBox* m_pRepeat;
    QCheckBox* m_pChallenge;
    QCheckBox* m_pMailContacts;
    QLineEdit* m_pFile;
};
