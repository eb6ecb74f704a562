#include "main/CallsView.h"

#include "main/CallsModel.h"

#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {

void SetUpTable(QTableView* table) {
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->setAlternatingRowColors(true);
    table->setTabKeyNavigation(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    // The columns as wide as the texts they usually hold, in bold (a new
    // message's); the recording's name takes the rest.
    QFont bold = table->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int padding = metrics.averageCharWidth() * 2;
    const struct {
        int column;
        const char* sample;
    } samples[] = {{CCallsModel::kColTime, "88/88/88 88:88"},
                   {CCallsModel::kColCaller, "MMMMMMMMMM"},
                   {CCallsModel::kColNumber, "(888) 888-8888"},
                   {CCallsModel::kColOutcome, "challenge failed"},
                   {CCallsModel::kColRule, "block list: contact Mmmmm"}};
    for (const auto& c : samples)
        table->horizontalHeader()->resizeSection(
            c.column, metrics.horizontalAdvance(QString::fromLatin1(c.sample)) + padding);
    table->horizontalHeader()->setStretchLastSection(true);
}

} // namespace

CCallsView::CCallsView(QWidget* parent)
    : QWidget(parent), m_pNotice(new QLabel(this)), m_pList(new QTableView(this)),
      m_pModel(new CCallsModel(this)), m_pEarlier(new QTableView(this)),
      m_pEarlierModel(new CCallsModel(this)) {
    setObjectName("CallsView");
    m_pNotice->setObjectName("CallsNotice");
    m_pNotice->setTextFormat(Qt::PlainText);
    m_pNotice->setWordWrap(true);
    m_pNotice->hide();
    m_pList->setObjectName("CallHistory");
    m_pList->setAccessibleName(tr("Call history"));
    m_pList->setModel(m_pModel);
    SetUpTable(m_pList);
    m_pEarlier->setObjectName("EarlierCalls");
    m_pEarlier->setAccessibleName(tr("This caller's calls"));
    m_pEarlier->setModel(m_pEarlierModel);
    SetUpTable(m_pEarlier);
    auto* earlierLabel = new QLabel(tr("&This caller's calls:"), this);
    earlierLabel->setBuddy(m_pEarlier);

    auto* lower = new QWidget(this);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(earlierLabel);
    lowerLayout->addWidget(m_pEarlier, 1);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setChildrenCollapsible(false);
    split->addWidget(m_pList);
    split->addWidget(lower);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pNotice);
    layout->addWidget(split, 1);

    connect(m_pList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CCallsView::ShowEarlier);
    for (QTableView* table : {m_pList, m_pEarlier})
        connect(table, &QTableView::activated, this, [this, table](const QModelIndex& i) {
            const auto* model = static_cast<CCallsModel*>(table->model());
            if (i.isValid() && i.row() < model->rowCount())
                emit rowActivated(model->Row(i.row()));
        });
}

CCallsView::~CCallsView() = default;

QString CCallsView::Notice() const {
    return m_pNotice->isHidden() ? QString() : m_pNotice->text();
}

void CCallsView::TellError() {
    const std::string error = m_source.TakeError();
    if (!error.empty()) {
        m_pNotice->setText(
            tr("The call history cannot be shown: %1").arg(QString::fromStdString(error)));
        m_pNotice->show();
    } else if (m_source.Error().empty()) {
        m_pNotice->hide();
    }
}

void CCallsView::Show(HistoryFilter filter) {
    m_filter = filter;
    m_source.Changed(); // what is read now is seen
    m_pModel->Show(
        [this, filter](int offset, int limit) { return m_source.Calls(filter, offset, limit); });
    m_pEarlierModel->Clear();
    TellError();
}

void CCallsView::Reload() {
    const CallsRow* selected = SelectedRow();
    const int64_t keep = selected ? selected->nId : 0;
    m_pModel->Reload();
    TellError();
    const int row = keep ? m_pModel->RowOf(keep) : -1;
    if (row >= 0)
        m_pList->selectRow(row);
    else
        m_pEarlierModel->Reload();
}

void CCallsView::Poll() {
    if (m_source.Changed())
        Reload();
    else
        TellError();
}

const CallsRow* CCallsView::SelectedRow() const {
    const QModelIndexList rows = m_pList->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.front().row() >= m_pModel->rowCount())
        return nullptr;
    return &m_pModel->Row(rows.front().row());
}

void CCallsView::ShowEarlier() {
    const CallsRow* row = SelectedRow();
    if (!row || row->sNormalised.empty()) {
        m_pEarlierModel->Clear();
        return;
    }
    const std::string number = row->sNormalised;
    m_pEarlierModel->Show([this, number](int offset, int) {
        return offset ? std::vector<CallsRow>() : m_source.CallsOf(number, kEarlierCalls);
    });
}

void CCallsView::MarkHeard(const CallsRow& row) {
    if (!row.bMessage)
        return;
    m_source.MarkHeard(row.nId);
    TellError();
    // Its own write is no change to Poll: read again here.
    Reload();
}
