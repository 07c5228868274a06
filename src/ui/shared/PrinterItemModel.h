#pragma once

// The items of a printer list: one row per record with the texts and image the list's item rules give.

#include "core/model/PrinterInfo.h"
#include "core/model/PrinterListRules.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <array>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace pellora::ui {

class PrinterItemModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    struct Item {
        CPrinterInfoEx* record = nullptr;
        std::array<QString, kPrinterColumnCount> texts;
        int image = 0;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override { return supportedDropActions(); }
    QStringList mimeTypes() const override;

    const std::vector<Item>& items() const { return m_items; }
    std::vector<CPrinterInfoEx*> records() const;

    // Shows these records. True when the rows were rebuilt (the selection is then gone), false when the
    // records were the same and only their texts were read again.
    bool setRecords(const std::vector<CPrinterInfoEx*>& records);
    // Reads the texts and image of these records' rows again.
    void refreshRecords(const std::unordered_set<const CPrinterInfoEx*>& records);

    void setHeaders(const QStringList& headers);
    QString header(int column) const { return column < m_headers.size() ? m_headers[column] : QString(); }

private:
    // none: the text of a missing value.
    static void fill(Item& item, std::string_view none);

    std::vector<Item> m_items;
    QStringList m_headers;
};

} // namespace pellora::ui
