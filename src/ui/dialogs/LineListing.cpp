#include "dialogs/LineListing.h"

#include <QComboBox>
#include <QLabel>

CLineListing::CLineListing(const CTapiProviders* pProviders, QComboBox* box, QLabel* note,
                           QObject* parent)
    : QObject(parent), m_pProviders(pProviders), m_pBox(box), m_pNote(note) {
    // A line's name is the provider's text, never markup.
    m_pNote->setTextFormat(Qt::PlainText);
}

CLineListing::~CLineListing() {
    if (m_thread.joinable())
        m_thread.join();
}

void CLineListing::Start(int nSelected) {
    if (m_thread.joinable())
        m_thread.join();
    m_bDone = false;
    m_pBox->clear();
    m_pBox->setEnabled(false);
    m_pNote->setText(tr("Looking for telephony lines..."));
    m_pNote->setVisible(true);
    m_thread = std::thread([this, nSelected] {
        TelephonyLineList list = ListTelephonyLines(m_pProviders);
        // Queued to this object: dropped with it when the window is gone.
        QMetaObject::invokeMethod(
            this, [this, list = std::move(list), nSelected] { Show(list, nSelected); },
            Qt::QueuedConnection);
    });
}

void CLineListing::Show(const TelephonyLineList& list, int nSelected) {
    m_pBox->clear();
    for (const TelephonyLineChoice& line : list.lines)
        m_pBox->addItem(QString::fromStdString(line.sName), static_cast<int>(line.dwDeviceID));
    m_pBox->setCurrentIndex(std::max(0, m_pBox->findData(nSelected)));
    m_pBox->setEnabled(m_pBox->count() > 0);
    m_pNote->setText(QString::fromStdString(list.sMessage));
    m_pNote->setVisible(m_pBox->count() == 0);
    m_bDone = true;
    emit Listed();
}

int CLineListing::ChosenLine(int nFallback) const {
    return m_pBox->count() > 0 ? m_pBox->currentData().toInt() : nFallback;
}
