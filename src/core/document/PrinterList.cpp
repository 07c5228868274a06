#include "core/document/PrinterList.h"

#include "core/discovery/ModelList.h"

#include <algorithm>

namespace pellora {

CPrinterInfoEx* PrinterList::GetAt(std::size_t index) const
{
    return index < GetCount() ? Storage()[index].get() : nullptr;
}

int PrinterList::IndexOf(const CPrinterInfoEx* record) const
{
    const Records& records = Storage();
    const auto found = std::find_if(records.begin(), records.end(), [record](const auto& r) { return r.get() == record; });
    return record == nullptr || found == records.end() ? -1 : static_cast<int>(found - records.begin());
}

CPrinterInfoEx* PrinterList::AddRecord(std::unique_ptr<CPrinterInfoEx>& record)
{
    if (!record || IsFull())
        return nullptr;
    if (!record->macAddress.empty()) {
        for (const auto& listed : Storage()) {
            if (listed->macAddress == record->macAddress)
                return nullptr;
        }
    }
    return InsertRecord(record, GetCount());
}

CPrinterInfoEx* PrinterList::InsertRecord(std::unique_ptr<CPrinterInfoEx>& record, std::size_t index)
{
    if (!record || IsFull())
        return nullptr;
    Admit(*record);
    Records& records = Storage();
    const auto position = records.begin() + static_cast<std::ptrdiff_t>(std::min(index, records.size()));
    CPrinterInfoEx* const added = records.insert(position, std::move(record))->get();
    Changed();
    return added;
}

bool PrinterList::RemoveRecord(const CPrinterInfoEx* record)
{
    const int index = IndexOf(record);
    if (index < 0)
        return false;
    Storage().erase(Storage().begin() + index);
    Changed();
    return true;
}

void PrinterList::RemoveAll()
{
    if (Storage().empty())
        return;
    Storage().clear();
    Changed();
}

void PrinterList::Reorder(std::span<CPrinterInfoEx* const> order)
{
    Records& records = Storage();
    Records reordered;
    reordered.reserve(records.size());
    for (CPrinterInfoEx* record : order) {
        const auto found = std::find_if(records.begin(), records.end(), [record](const auto& r) { return r.get() == record; });
        if (found != records.end())
            reordered.push_back(std::move(*found));
    }
    for (auto& record : records) {
        if (record)
            reordered.push_back(std::move(record));
    }
    records = std::move(reordered);
    Changed();
}

const std::filesystem::path& PrinterList::ProgramFolder() const
{
    static const std::filesystem::path none;
    return none;
}

bool PrinterList::IsModelAccepted(std::string_view modelName) const
{
    const std::filesystem::path& folder = ProgramFolder();
    return folder.empty() || ModelList::InFolder(folder).IsModelListed(modelName);
}

PrinterList::ObserverId PrinterList::AddObserver(UpdateHandler handler)
{
    const ObserverId id = ++m_lastObserver;
    m_observers.emplace_back(id, std::move(handler));
    return id;
}

void PrinterList::RemoveObserver(ObserverId id)
{
    std::erase_if(m_observers, [id](const auto& observer) { return observer.first == id; });
}

void PrinterList::UpdateAllViews(ObserverId sender, long hint)
{
    // A handler may add or remove observers: walk the ids as they were, skipping those removed meanwhile.
    std::vector<ObserverId> ids;
    ids.reserve(m_observers.size());
    for (const auto& observer : m_observers)
        ids.push_back(observer.first);
    for (const ObserverId id : ids) {
        if (id == sender)
            continue;
        const auto found = std::find_if(m_observers.begin(), m_observers.end(),
                                        [id](const auto& observer) { return observer.first == id; });
        if (found == m_observers.end())
            continue;
        const UpdateHandler handler = found->second; // the handler may remove itself while it runs
        handler(hint);
    }
}

} // namespace pellora
