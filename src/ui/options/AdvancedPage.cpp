#include "options/AdvancedPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {

QSpinBox* Seconds(int max, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(0, max);
    return box;
}
} // namespace

CAdvancedPage::CAdvancedPage(QWidget* parent) : COptionsPage(tr("Advanced"), parent) {
    m_pRecordAll = new QCheckBox(tr("&Record all incoming calls automatically"), this);
    m_pRecordAll->setToolTip(tr("Recording starts when the handset is lifted and ends when "
                                "it is put down."));
    Body()->addWidget(m_pRecordAll);

    // "Record up to [n] seconds unattended", "Hang up after [n] seconds of silence".
    auto* grid = new QGridLayout;
    // As far as the settings' milliseconds and tenths reach.
    m_pUnattended = Seconds(INT_MAX / 1000, this);
    m_pSilence = Seconds(INT_MAX / 10, this);
    auto* upTo = new QLabel(tr("Record &up to"), this);
    upTo->setBuddy(m_pUnattended);
    auto* hangUp = new QLabel(tr("&Hang up after"), this);
    hangUp->setBuddy(m_pSilence);
    grid->addWidget(upTo, 0, 0);
    grid->addWidget(m_pUnattended, 0, 1);
    grid->addWidget(new QLabel(tr("seconds unattended"), this), 0, 2);
    grid->addWidget(hangUp, 1, 0);
    grid->addWidget(m_pSilence, 1, 1);
    grid->addWidget(new QLabel(tr("seconds of silence"), this), 1, 2);
    grid->setColumnStretch(3, 1);
    Body()->addLayout(grid);

    m_pThreshold = new QSlider(Qt::Horizontal, this);
    m_pThreshold->setRange(0, kMaxSilenceThreshold);
    m_pThreshold->setTickInterval(20);
    m_pThreshold->setTickPosition(QSlider::TicksBelow);
    auto* thresholdLabel = new QLabel(tr("&Silence detection threshold:"), this);
    thresholdLabel->setBuddy(m_pThreshold);
    Body()->addSpacing(8);
    Body()->addWidget(thresholdLabel);
    Body()->addWidget(m_pThreshold);

    m_pCompat = new QSlider(Qt::Horizontal, this);
    m_pCompat->setRange(0, 2);
    m_pCompat->setPageStep(1);
    m_pCompat->setTickInterval(1);
    m_pCompat->setTickPosition(QSlider::TicksBelow);
    auto* compatLabel = new QLabel(tr("&Compatibility option:"), this);
    compatLabel->setBuddy(m_pCompat);
    auto* ends = new QHBoxLayout;
    ends->addWidget(new QLabel(tr("Compatibility"), this));
    ends->addStretch(1);
    ends->addWidget(new QLabel(tr("Performance"), this));
    Body()->addSpacing(8);
    Body()->addWidget(compatLabel);
    Body()->addWidget(m_pCompat);
    Body()->addLayout(ends);
    Body()->addStretch(1);
}

void CAdvancedPage::Load(const OptionsValues& v) {
    m_pRecordAll->setChecked(v.bRecordAll);
    m_pUnattended->setValue(v.nUnattendedSeconds);
    m_pSilence->setValue(v.nSilenceSeconds);
    m_pThreshold->setValue(v.nSilenceThreshold);
    m_pCompat->setValue(v.nCompatStep);
}

void CAdvancedPage::Save(OptionsValues& v) const {
    v.bRecordAll = m_pRecordAll->isChecked();
    v.nUnattendedSeconds = m_pUnattended->value();
    v.nSilenceSeconds = m_pSilence->value();
    v.nSilenceThreshold = m_pThreshold->value();
    v.nCompatStep = m_pCompat->value();
}
