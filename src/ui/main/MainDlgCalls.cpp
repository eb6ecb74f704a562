// CMainDlg and the call history: the "Calls" view chosen in the tree, its
// rows played, and the caller commands of the context menu on its rows and
// on the call list's.
#include "main/MainDlg.h"

#include "app/CallsViewLogic.h"
#include "app/ScreeningCommands.h"
#include "main/CallListModel.h"
#include "main/CallsModel.h"
#include "main/CallsView.h"

#include <QAction>
#include <QMenu>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QTableView>

bool CMainDlg::IsCallsShown() const {
    return m_pPages->currentWidget() == m_pCalls;
}

void CMainDlg::OnCallsSelected(HistoryFilter filter) {
    m_pPages->setCurrentWidget(m_pCalls);
    m_nPollTicks = 0;
    m_pCalls->Show(filter);
}

void CMainDlg::OnCallsRowActivated(const CallsRow& activated) {
    const CallsRow row = activated; // the view reads again when it is marked heard
    if (row.sRecording.empty())
        return;
    PlayRecording(row.sRecording);
    m_pCalls->MarkHeard(row);
}

std::unique_ptr<QMenu> CMainDlg::CallerMenu(const std::string& sNumber) {
    const CallerCommands can = CallerCommandsFor(sNumber, m_pCalls->Source().ListOf(sNumber));
    auto menu = std::make_unique<QMenu>(this);
    const struct {
        QString text;
        ContactList list;
        bool bEnabled;
    } items[] = {
        {tr("Block caller"), ContactList::Block, can.bBlock},
        {tr("Always let through"), ContactList::Permit, can.bPermit},
        // Taking a number off both lists puts it among the contacts.
        {tr("Add to contacts"), ContactList::None, can.bAdd},
    };
    for (const auto& item : items) {
        QAction* action = menu->addAction(item.text);
        action->setEnabled(item.bEnabled);
        const ContactList list = item.list;
        connect(action, &QAction::triggered, this,
                [this, sNumber, list] { PutOnList(sNumber, list); });
    }
    return menu;
}

void CMainDlg::PopUpCallerMenu(QTableView* table, const QPoint& pos) {
    const QModelIndex index = table->indexAt(pos);
    if (!index.isValid())
        return;
    std::string number;
    if (table == m_pList)
        number = m_pModel->Row(m_pSorted->mapToSource(index).row()).sNumber;
    else
        number = static_cast<CCallsModel*>(table->model())->Row(index.row()).sSent;
    CallerMenu(number)->exec(table->viewport()->mapToGlobal(pos));
}

void CMainDlg::PutOnList(const std::string& sNumber, ContactList list) {
    CCallState* pState = m_host.CallState();
    const ScreeningReply reply = pState ? PutCallerOnList(*pState, sNumber, list)
                                        : ScreeningReply{false, "the program is starting"};
    SetStatusText(QString::fromStdString(reply.sText));
    // A new contact's name shows at once.
    if (IsCallsShown())
        m_pCalls->Poll();
}
