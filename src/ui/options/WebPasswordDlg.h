// "Web Page Password": the web page's login password, typed twice. OK
// stores only its argon2id hash in the settings, at once, as
// "vorella-tool web-password" does; a problem keeps the dialog open and
// says what.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;

class CWebPasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit CWebPasswordDlg(QWidget* parent = nullptr);

    QLineEdit* PasswordEdit() const { return m_pPassword; }
    QLineEdit* AgainEdit() const { return m_pAgain; }
    QLabel* ProblemLabel() const { return m_pProblem; }
    // The hash stored by OK.
    const std::string& Hash() const { return m_sHash; }

    void accept() override;

private:
    QLineEdit* m_pPassword;
    QLineEdit* m_pAgain;
    QLabel* m_pProblem;
    std::string m_sHash;
};
