// "General": start-up, the pop-up, compression and the data folder.
#pragma once

#include "options/OptionsPage.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

class CGeneralPage : public COptionsPage {
    Q_OBJECT
public:
    explicit CGeneralPage(QWidget* parent = nullptr);
    void Load(const OptionsValues& v) override;
    void Save(OptionsValues& v) const override;

    QCheckBox* AutoStartBox() const { return m_pAutoStart; }
    QCheckBox* StartToTrayBox() const { return m_pToTray; }
    QCheckBox* PopupBox() const { return m_pPopup; }
    QCheckBox* CompressBox() const { return m_pCompress; }
    QLineEdit* FolderBox() const { return m_pFolder; }

private:
    void Browse();

    QCheckBox* m_pAutoStart;
    QCheckBox* m_pToTray;
    QCheckBox* m_pPopup;
    QCheckBox* m_pCompress;
    QLineEdit* m_pFolder;
    QPushButton* m_pBrowse;
};
