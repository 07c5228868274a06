#include "ui/shared/PrinterItemModel.h"

#include "ui/project/Corvan2ViewIds.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/PrinterIcons.h"
#include "ui/shared/PrinterMimeData.h"

namespace pellora::ui {

namespace {

// The text for a missing value in the language of the moment.
std::string NoneText()
{
    const std::string text = ItemText(corvan2::kFormSection, corvan2::kFormNoneText).toStdString();
    return text.empty() ? std::string(kNoneText) : text;
}

} // namespace

int PrinterItemModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_items.size());
}

int PrinterItemModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kPrinterColumnCount;
}

QVariant PrinterItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Item& item = m_items[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return item.texts[static_cast<std::size_t>(index.column())];
    case Qt::DecorationRole:
        return index.column() == kColumnName ? QVariant(PrinterImage(item.image)) : QVariant();
    default:
        return {};
    }
}

QVariant PrinterItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_headers.size())
        return {};
    return m_headers[section];
}

Qt::ItemFlags PrinterItemModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled |
           Qt::ItemNeverHasChildren;
}

Qt::DropActions PrinterItemModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

QStringList PrinterItemModel::mimeTypes() const
{
    return {PrinterMimeType()};
}

std::vector<CPrinterInfoEx*> PrinterItemModel::records() const
{
    std::vector<CPrinterInfoEx*> out;
    out.reserve(m_items.size());
    for (const Item& item : m_items)
        out.push_back(item.record);
    return out;
}

bool PrinterItemModel::setRecords(const std::vector<CPrinterInfoEx*>& records)
{
    const std::string none = NoneText();
    if (records == this->records()) {
        for (Item& item : m_items)
            fill(item, none);
        if (!m_items.empty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, kPrinterColumnCount - 1));
        return false;
    }
    beginResetModel();
    m_items.clear();
    m_items.reserve(records.size());
    for (CPrinterInfoEx* record : records) {
        Item item;
        item.record = record;
        fill(item, none);
        m_items.push_back(std::move(item));
    }
    endResetModel();
    return true;
}

void PrinterItemModel::refreshRecords(const std::unordered_set<const CPrinterInfoEx*>& records)
{
    const std::string none = NoneText();
    for (std::size_t row = 0; row < m_items.size(); ++row) {
        if (records.count(m_items[row].record) == 0)
            continue;
        fill(m_items[row], none);
        const int r = static_cast<int>(row);
        emit dataChanged(index(r, 0), index(r, kPrinterColumnCount - 1));
    }
}

void PrinterItemModel::setHeaders(const QStringList& headers)
{
    m_headers = headers;
    emit headerDataChanged(Qt::Horizontal, 0, kPrinterColumnCount - 1);
}

void PrinterItemModel::fill(Item& item, std::string_view none)
{
    for (int column = 0; column < kPrinterColumnCount; ++column)
        item.texts[static_cast<std::size_t>(column)] = QString::fromStdString(PrinterItemText(*item.record, column, none));
    item.image = PrinterImageIndex(*item.record);
}

} // namespace pellora::ui
