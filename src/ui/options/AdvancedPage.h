// "Advanced": automatic recording, the time limits, silence detection and
// the compatibility step.
#pragma once

#include "options/OptionsPage.h"

class QCheckBox;
class QSlider;
class QSpinBox;

class CAdvancedPage : public COptionsPage {
    Q_OBJECT
public:
    explicit CAdvancedPage(QWidget* parent = nullptr);
    void Load(const OptionsValues& v) override;
    void Save(OptionsValues& v) const override;

    QCheckBox* RecordAllBox() const { return m_pRecordAll; }
    QSpinBox* UnattendedBox() const { return m_pUnattended; }
    QSpinBox* SilenceBox() const { return m_pSilence; }
    QSlider* ThresholdSlider() const { return m_pThreshold; }
    QSlider* CompatSlider() const { return m_pCompat; }

private:
    QCheckBox* m_pRecordAll;
    QSpinBox* m_pUnattended;
    QSpinBox* m_pSilence;
    QSlider* m_pThreshold;
    QSlider* m_pCompat;
};
