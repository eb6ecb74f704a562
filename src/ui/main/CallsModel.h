// The rows of the call history as the "Calls" view lists them, read a page
// at a time from a reader (the contacts file's history, or one caller's
// earlier calls): more come when the list is scrolled to its end.
#pragma once

#include "app/CallsViewLogic.h"

#include <QAbstractTableModel>

#include <functional>
#include <vector>

class CCallsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kColTime, kColCaller, kColNumber, kColOutcome, kColRule, kColFile, kColumnCount };
    // Rows from offset on, at most limit of them, newest first.
    using Reader = std::function<std::vector<CallsRow>(int offset, int limit)>;

    explicit CCallsModel(QObject* parent = nullptr, int nPageRows = CCallsPages::kPageRows);

    // Shows the first page of reader's rows.
    void Show(Reader reader);
    // Reads the rows shown again (the history changed).
    void Reload();
    void Clear();

    const std::vector<CallsRow>& Rows() const { return m_rows; }
    const CallsRow& Row(int i) const { return m_rows.at(static_cast<size_t>(i)); }
    // The row of the call with that id, -1 none.
    int RowOf(int64_t nId) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    Reader m_reader;
    CCallsPages m_pages;
    std::vector<CallsRow> m_rows;
};
