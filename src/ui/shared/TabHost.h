#pragma once

// What a page needs from the window that hosts it: a project view for its property tabs, the left pane
// for its discovery pages.

#include "core/document/PrinterList.h"

#include <filesystem>
#include <vector>

namespace pellora {
class CScriptFile;
}

namespace pellora::ui {

class TabHost {
public:
    virtual ~TabHost() = default;

    // The records the page edits; null when there are none.
    virtual PrinterList* HostList() = 0;
    // The script whose settings the page edits; a project view's only.
    virtual CScriptFile* HostScript() { return nullptr; }
    // The selected records of the host's printer list in list order; false when the list cannot deliver them.
    virtual bool SelectedPrinters(std::vector<CPrinterInfoEx*>& printers) = 0;
    // The host's own observer of the records, so that an edit updates every other view.
    virtual PrinterList::ObserverId HostObserverId() const = 0;
    // A page changed the given records: the host's own printer list re-reads their texts and images.
    virtual void PrintersEdited(const std::vector<CPrinterInfoEx*>& printers) = 0;
    // The program folder whose model list and plugins the page uses.
    virtual const std::filesystem::path& ProgramFolder() const = 0;
};

} // namespace pellora::ui
