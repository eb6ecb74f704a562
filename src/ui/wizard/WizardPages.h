// The set-up wizard's plain pages: welcome, modem detection notes, the
// access method, the telephony line, and the last page. The serial page,
// which detects the modem, is SerialPage.h.
#pragma once

#include <QWizardPage>

class CLineListing;
class CTapiProviders;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;

// Page 1: welcome.
class CMyPropertyPage0 : public QWizardPage {
    Q_OBJECT
public:
    explicit CMyPropertyPage0(QWidget* parent = nullptr);
};

// Page 2: what detection needs; the check box skips it.
class CMyPropertyPage1 : public QWizardPage {
    Q_OBJECT
public:
    explicit CMyPropertyPage1(QWidget* parent = nullptr);
    bool SkipDetection() const;
    QCheckBox* SkipBox() const { return m_pSkip; }

private:
    QCheckBox* m_pSkip;
};

// Page 3: how the program reaches the line (the device kind).
class CMyPropertyPage01 : public QWizardPage {
    Q_OBJECT
public:
    explicit CMyPropertyPage01(int nKind, QWidget* parent = nullptr);
    int Kind() const;
    void SetKind(int nKind);
    QLabel* DifferenceLink() const { return m_pLink; }

    // The manual's page on the choices, "" when the manual is not installed.

private:
    void OpenDifference();

    QButtonGroup* m_pKinds;
    QLabel* m_pLink;
};

// Page 5: the telephony line.
class CMyPropertyPage02 : public QWizardPage {
    Q_OBJECT
public:
    // The lines listed are those of the chosen provider of pProviders.
    CMyPropertyPage02(int nLine, const CTapiProviders* pProviders, QWidget* parent = nullptr);
    // The line chosen (its device id in the telephony layer); the line
    // set before while none is listed.
    int Line() const;
    QComboBox* LineBox() const { return m_pLine; }
    QLabel* NoteLabel() const { return m_pNone; }
    CLineListing* Listing() const { return m_pListing; }

protected:
    void initializePage() override;

private:
    int m_nLine;
    QComboBox* m_pLine;
    QLabel* m_pNone;
    CLineListing* m_pListing;
};

// Page 6: done.
class CMyPropertyPage3 : public QWizardPage {
    Q_OBJECT
public:
    explicit CMyPropertyPage3(QWidget* parent = nullptr);
};
