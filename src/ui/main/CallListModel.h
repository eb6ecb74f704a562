// The call list of the folder shown: the rows of its index with the
// columns of the list (hidden ones included), filtered by the search text.
#pragma once

#include "calllog/CallList.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <vector>

class CCallListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        kColIcon,       // "Icon (persistent)"
        kColImportance, // message or conversation
        kColTime,       // date and time text
        kColFrom,
        kColNumber,
        kColMemo,
        kColFile,     // hidden
        kColCheck,    // hidden
        kColDateTime, // hidden sort key YYYYMMDDhhmmss
        kColLength,
        kColumnCount
    };
    static bool IsHiddenColumn(int column);

    explicit CCallListModel(QObject* parent = nullptr);

    // Reads the index at sIndexPath and shows its records that contain
    // sSearch (any case). False when the index exists but cannot be read;
    // *sError says why (the list is then empty). *sTextError tells of text
    // that was neither UTF-8 nor the legacy code page.
    bool Load(const std::string& sIndexPath, const std::string& sSearch, std::string* sError,
              std::string* sTextError);
    void Clear();
    void SetIcons(const QIcon& call, const QIcon& message, const QIcon& memo,
                  const QIcon& important);

    const std::vector<CallListRow>& Rows() const { return m_rows; }
    const CallListRow& Row(int i) const { return m_rows.at(static_cast<size_t>(i)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    QVariant Text(const CallListRow& row, int column) const;

    std::vector<CallListRow> m_rows;
    std::vector<bool> m_checked;
    QIcon m_call, m_message, m_memo, m_important;
};
