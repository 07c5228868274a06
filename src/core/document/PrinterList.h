#pragma once

// An ordered list of owned printer records that windows show and edit: a project's printers, or the
// results of a left-pane page, with a maximum count and a change notice to its views.

#include "core/model/PrinterInfo.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace pellora {

class PrinterList {
public:
    using Records = std::vector<std::unique_ptr<CPrinterInfoEx>>;
    using ObserverId = std::size_t;
    // Called with the hint of UpdateAllViews.
    using UpdateHandler = std::function<void(long hint)>;
    static constexpr ObserverId kNoObserver = 0;

    virtual ~PrinterList() = default;
    PrinterList(const PrinterList&) = delete;
    PrinterList& operator=(const PrinterList&) = delete;

    const Records& Printers() const { return Storage(); }
    std::size_t GetCount() const { return Storage().size(); }
    // Null outside the list.
    CPrinterInfoEx* GetAt(std::size_t index) const;
    // The position of the record, -1 when the list does not hold it.
    int IndexOf(const CPrinterInfoEx* record) const;

    // Most records the list holds, 0 for no limit.
    void SetMaxPrinterCount(std::size_t count) { m_maxPrinters = count; }
    std::size_t GetMaxPrinterCount() const { return m_maxPrinters; }
    bool IsFull() const { return m_maxPrinters != 0 && GetCount() >= m_maxPrinters; }

    // Appends the record unless the list is full or the record's MAC address is not empty and equals that
    // of a listed record. Returns the record now owned by the list; null leaves it with the caller.
    CPrinterInfoEx* AddRecord(std::unique_ptr<CPrinterInfoEx>& record);
    // Inserts the record before index (at the end for an index past the end) unless the list is full.
    CPrinterInfoEx* InsertRecord(std::unique_ptr<CPrinterInfoEx>& record, std::size_t index);
    // Deletes the record; false when the list does not hold it.
    bool RemoveRecord(const CPrinterInfoEx* record);
    void RemoveAll();
    // Puts the named records first, in the given order; the others keep their order behind them.
    void Reorder(std::span<CPrinterInfoEx* const> order);
    // The records' contents were changed in place.
    void RecordsEdited() { Changed(); }

    // A project's list, whose printers are edited, pasted, dropped and deleted; a page's results are only
    // shown, copied and dragged.
    virtual bool IsEditable() const { return false; }
    // The program folder whose model list names the models the list takes; empty: every model.
    virtual const std::filesystem::path& ProgramFolder() const;
    bool IsModelAccepted(std::string_view modelName) const;

    // Views register to hear that the list changed; the sender's own handler is not called.
    ObserverId AddObserver(UpdateHandler handler);
    void RemoveObserver(ObserverId id);
    void UpdateAllViews(ObserverId sender = kNoObserver, long hint = 0);

protected:
    PrinterList() = default;

    // The records themselves.
    virtual Records& Storage() = 0;
    virtual const Records& Storage() const = 0;
    // A record is about to join the list.
    virtual void Admit(CPrinterInfoEx&) {}
    // Records were added, removed or moved.
    virtual void Changed() {}

private:
    std::size_t m_maxPrinters = 0;
    std::vector<std::pair<ObserverId, UpdateHandler>> m_observers;
    ObserverId m_lastObserver = kNoObserver;
};

// A list that holds its records itself (the result list of a left-pane page).
class PrinterRecordList final : public PrinterList {
public:
    PrinterRecordList() = default;

protected:
    Records& Storage() override { return m_records; }
    const Records& Storage() const override { return m_records; }

private:
    Records m_records;
};

} // namespace pellora
