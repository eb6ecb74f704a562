// "Speech": the caller of a ringing call said on the sound card, the words
// said before the name and the number, and "Test", which says a sample
// caller with the choices as they stand.
#pragma once

#include "options/OptionsPage.h"
#include "speech/SpeechAnnouncer.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class CSpeechPage : public COptionsPage {
    Q_OBJECT
public:
    explicit CSpeechPage(QWidget* parent = nullptr);
    void Load(const OptionsValues& v) override;
    void Save(OptionsValues& v) const override;

    QCheckBox* EnableBox() const { return m_pEnable; }
    QSpinBox* TimesBox() const { return m_pTimes; }
    QPushButton* TestButton() const { return m_pTest; }
    // What "Test" made of the choices, or why it said nothing.
    QLabel* TestNote() const { return m_pNote; }

private:
    void Test();

    QCheckBox* m_pEnable;
    QCheckBox* m_pIncoming;
    QLineEdit* m_pIncomingText;
    QCheckBox* m_pName;
    QLineEdit* m_pNameText;
    QCheckBox* m_pNumber;
    QLineEdit* m_pNumberText;
    QCheckBox* m_pOnlyName;
    QCheckBox* m_pSpellNA;
    QSpinBox* m_pTimes;
    QPushButton* m_pTest;
    QLabel* m_pNote;
    CSpeechAnnouncer m_speaker;
};
