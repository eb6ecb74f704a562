// The USB telephone adapter's two choices, as the options' device page and
// the set-up wizard's adapter page show them: the sound card on the line
// and the input device for the ring, the local phone's hook and its keypad,
// with a note on what is heard without one.
#pragma once

#include <QWidget>

#include <string>

class ISoundBackend;
class QComboBox;
class QLabel;

class CAdapterFields : public QWidget {
    Q_OBJECT
public:
    // The sound cards are those backend lists.
    explicit CAdapterFields(ISoundBackend& backend, QWidget* parent = nullptr);

    // Lists the cards and input devices present, with these chosen (kept
    // choosable when they are not present).
    void Load(const std::string& soundCard, const std::string& input);
    std::string SoundCard() const;
    std::string Input() const;

    QComboBox* CardBox() const { return m_pCard; }
    QComboBox* InputBox() const { return m_pInput; }
    QLabel* Note() const { return m_pNote; }
    ISoundBackend& Backend() const { return m_backend; }

signals:
    // The card or the input device chosen changed.
    void Changed();

private:
    void UpdateNote();

    ISoundBackend& m_backend;
    QComboBox* m_pCard;
    QComboBox* m_pInput;
    QLabel* m_pNote;
};
