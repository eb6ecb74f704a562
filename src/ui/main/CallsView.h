// The main window's "Calls" view: the call history of the contacts file,
// all calls, the missed or the blocked ones, newest first, a page at a
// time; below it every call of the chosen caller. It reads the file in a
// connection of its own, opened when first shown, and reads again when
// someone has written the file (Poll). A file that cannot be read says so
// in the view.
#pragma once

#include "app/CallsViewLogic.h"

#include <QWidget>

class CCallsModel;
class QLabel;
class QTableView;

class CCallsView : public QWidget {
    Q_OBJECT
public:
    // How many calls of the chosen caller are listed below.
    static constexpr int kEarlierCalls = 50;

    explicit CCallsView(QWidget* parent = nullptr);
    ~CCallsView() override;

    // Lists filter's calls from the newest.
    void Show(HistoryFilter filter);
    // Reads again when the file changed since the last look.
    void Poll();
    // The chosen row (nullptr none).
    const CallsRow* SelectedRow() const;
    // A message was played: no longer shown as new.
    void MarkHeard(const CallsRow& row);

    CCallsSource& Source() { return m_source; }
    QTableView* List() const { return m_pList; }
    QTableView* Earlier() const { return m_pEarlier; }
    CCallsModel* Model() const { return m_pModel; }
    CCallsModel* EarlierModel() const { return m_pEarlierModel; }
    // What the view says of the file ("" nothing wrong).
    QString Notice() const;

signals:
    // A row was double-clicked or Enter pressed on it.
    void rowActivated(const CallsRow& row);

private:
    void ShowEarlier();
    void TellError();
    void Reload();

    CCallsSource m_source;
    QLabel* m_pNotice;
    QTableView* m_pList;
    CCallsModel* m_pModel;
    QTableView* m_pEarlier;
    CCallsModel* m_pEarlierModel;
    HistoryFilter m_filter = HistoryFilter::All;
};
