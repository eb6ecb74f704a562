#include "main/CallsModel.h"

#include <QFont>

namespace {

QString Q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

constexpr const char* kHeaders[CCallsModel::kColumnCount] = {
    QT_TRANSLATE_NOOP("CCallsModel", "Time"),   QT_TRANSLATE_NOOP("CCallsModel", "Caller"),
    QT_TRANSLATE_NOOP("CCallsModel", "Number"), QT_TRANSLATE_NOOP("CCallsModel", "Outcome"),
    QT_TRANSLATE_NOOP("CCallsModel", "Rule"),   QT_TRANSLATE_NOOP("CCallsModel", "Recording"),
};

} // namespace

CCallsModel::CCallsModel(QObject* parent, int nPageRows)
    : QAbstractTableModel(parent), m_pages(nPageRows) {}

void CCallsModel::Show(Reader reader) {
    m_reader = std::move(reader);
    beginResetModel();
    m_rows.clear();
    m_pages.Reset();
    endResetModel();
    fetchMore({});
}

void CCallsModel::Reload() {
    if (!m_reader)
        return;
    const int n = m_pages.ReloadRows();
    std::vector<CallsRow> rows = m_reader(0, n);
    beginResetModel();
    m_rows = std::move(rows);
    m_pages.Reset();
    m_pages.Took(n, static_cast<int>(m_rows.size()));
    endResetModel();
}

void CCallsModel::Clear() {
    m_reader = nullptr;
    beginResetModel();
    m_rows.clear();
    m_pages.Reset();
    endResetModel();
}

int CCallsModel::RowOf(int64_t nId) const {
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].nId == nId)
            return static_cast<int>(i);
    return -1;
}

bool CCallsModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_reader && m_pages.HasMore();
}

void CCallsModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    const int n = m_pages.PageRows();
    std::vector<CallsRow> rows = m_reader(m_pages.Offset(), n);
    m_pages.Took(n, static_cast<int>(rows.size()));
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    endInsertRows();
}

int CCallsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CCallsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CCallsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const CallsRow& row = Row(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        switch (index.column()) {
        case kColTime:
            return Q(row.sTime);
        case kColCaller:
            return Q(row.sCaller);
        case kColNumber:
            return Q(row.sNumber);
        case kColOutcome:
            return Q(row.sOutcome);
        case kColRule:
            return Q(row.sRule);
        case kColFile:
            return Q(row.sFile);
        default:
            return {};
        }
    case Qt::ToolTipRole:
        if (index.column() == kColCaller && !row.sNetworkName.empty())
            return tr("The network's name: %1").arg(Q(row.sNetworkName));
        if (index.column() == kColFile)
            return Q(row.sRecording);
        if (index.column() == kColRule)
            return Q(row.sRule);
        return {};
    case Qt::FontRole:
        if (row.bBold) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

QVariant CCallsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return tr(kHeaders[section]);
}
