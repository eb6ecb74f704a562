// The About box: the program's name and version, the branding's copyright
// line and web address. Not modal; a second request raises the one open.
#pragma once

#include <QDialog>

class CAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit CAboutBox(QWidget* parent = nullptr);
    // The text shown (for tests): name and version, copyright, web address.
    QString Text() const;

private:
    QString m_sText;
};
