#include "main/CallListModel.h"

#include "calllog/DataStructure.h"
#include "platform/Strings.h"
#include "platform/TextUtil.h"

namespace {

struct ColumnInfo {
    int stringId;       // 0: fixed text
    const char* header; // the fixed text, translated when shown
    bool bHidden;
};
constexpr ColumnInfo kColumns[CCallListModel::kColumnCount] = {
    {0, QT_TRANSLATE_NOOP("CCallListModel", "Icon (persistent)"), false},
    {0, QT_TRANSLATE_NOOP("CCallListModel", "Importance"), false},
    {57866, nullptr, false},
    {57871, nullptr, false},
    {57870, nullptr, false},
    {57874, nullptr, false},
    {0, QT_TRANSLATE_NOOP("CCallListModel", "File"), true},
    {0, QT_TRANSLATE_NOOP("CCallListModel", "Check"), true},
    {0, QT_TRANSLATE_NOOP("CCallListModel", "Date/Time"), true},
    {57869, nullptr, false},
};

// Words in a memo that mark a call as important in the first column.
constexpr const char* kImportantWords[] = {"urgent", "important", "asap", "!!"};

bool IsImportant(const std::string& memo) {
    const std::string lower = ToLowerAscii(memo);
    for (const char* word : kImportantWords)
        if (lower.find(word) != std::string::npos)
            return true;
    return false;
}

QString Q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

bool CCallListModel::IsHiddenColumn(int column) {
    return column >= 0 && column < kColumnCount && kColumns[column].bHidden;
}

CCallListModel::CCallListModel(QObject* parent) : QAbstractTableModel(parent) {}

bool CCallListModel::Load(const std::string& sIndexPath, const std::string& sSearch,
                          std::string* sError, std::string* sTextError) {
    CDataStructureArray index;
    index.Load(sIndexPath);
    beginResetModel();
    m_rows.clear();
    bool ok = !index.LoadFailed();
    if (ok)
        m_rows = CallListRows(index, sSearch, sTextError);
    else if (sError)
        *sError = index.LastError();
    m_checked.assign(m_rows.size(), false);
    endResetModel();
    return ok;
}

void CCallListModel::Clear() {
    beginResetModel();
    m_rows.clear();
    m_checked.clear();
    endResetModel();
}

void CCallListModel::SetIcons(const QIcon& call, const QIcon& message, const QIcon& memo,
                              const QIcon& important) {
    m_call = call;
    m_message = message;
    m_memo = memo;
    m_important = important;
    if (!m_rows.empty())
        emit dataChanged(index(0, kColIcon), index(rowCount() - 1, kColImportance));
}

int CCallListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CCallListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CCallListModel::Text(const CallListRow& row, int column) const {
    switch (column) {
    case kColTime:
        return Q(row.sDateTime);
    case kColFrom:
        return Q(row.sName);
    case kColNumber:
        return Q(row.sNumber);
    case kColMemo:
        return Q(row.sMemo);
    case kColFile:
        // A name on disk is bytes; shown as far as it is text.
        return Q(row.sFile);
    case kColDateTime:
        return Q(row.sKey);
    case kColLength:
        return Q(row.sLength);
    default:
        return {};
    }
}

QVariant CCallListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const CallListRow& row = Row(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        if (column == kColMemo) {
            // One line in the list; the whole memo is in the tooltip.
            QString memo = Q(row.sMemo);
            memo.replace(QLatin1String("\r\n"), QLatin1String(" "));
            memo.replace(QLatin1Char('\n'), QLatin1Char(' '));
            memo.replace(QLatin1Char('\r'), QLatin1Char(' '));
            return memo;
        }
        return Text(row, column);
    case Qt::ToolTipRole:
        if (column == kColMemo)
            return Q(row.sMemo);
        if (column == kColImportance)
            return row.bMessage ? tr("Message on the answering machine")
                                : tr("Recorded conversation");
        return {};
    case Qt::DecorationRole:
        if (column == kColIcon)
            return IsImportant(row.sMemo) ? m_important : m_memo;
        if (column == kColImportance)
            return row.bMessage ? m_message : m_call;
        return {};
    case Qt::AccessibleTextRole:
        if (column == kColImportance)
            return row.bMessage ? tr("Message") : tr("Conversation");
        if (column == kColIcon)
            return IsImportant(row.sMemo) ? tr("Important") : QString();
        return Text(row, column);
    case Qt::CheckStateRole:
        if (column == kColCheck)
            return m_checked[static_cast<size_t>(index.row())] ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool CCallListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != kColCheck || role != Qt::CheckStateRole)
        return false;
    m_checked[static_cast<size_t>(index.row())] = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {role});
    return true;
}

Qt::ItemFlags CCallListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == kColCheck)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant CCallListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return {};
    const ColumnInfo& c = kColumns[section];
    if (role == Qt::DisplayRole) {
        // The two picture columns carry no text in the header, as in any
        // mail program's list; their names stay for assistive technology.
        if (section == kColIcon || section == kColImportance)
            return QString();
        return c.stringId ? QString::fromUtf8(LoadStr(c.stringId)) : tr(c.header);
    }
    if (role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
        return c.stringId ? QString::fromUtf8(LoadStr(c.stringId)) : tr(c.header);
    return {};
}
