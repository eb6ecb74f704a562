// The small main window: the phone's status line, the current caller and
// the buttons to record and stop, with a menu holding every command of the
// hidden window. Closing it hides it; the program goes on in the background.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;

class CStatusWindow : public QWidget {
    Q_OBJECT
public:
    explicit CStatusWindow(QWidget* parent = nullptr);

    void SetStatus(const QString& text);
    void SetCaller(const QString& name, const QString& number);

    QString Status() const;
    QString CallerName() const;
    QString CallerNumber() const;
    QPushButton* RecordButton() const { return m_pRecord; }
    QPushButton* StopButton() const { return m_pStop; }
    QToolButton* MenuButton() const { return m_pMenu; }

signals:
    // A command id of the hidden window (CommandIds.h).
    void command(int nId);

private:
    QLabel* m_pStatus;
    QLabel* m_pName;
    QLabel* m_pNumber;
    QPushButton* m_pRecord;
    QPushButton* m_pStop;
    QToolButton* m_pMenu;
};
