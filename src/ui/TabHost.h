#pragma once

// What a property tab needs from the project view that hosts it.

#include "core/model/Corvan2Doc.h"

#include <vector>

namespace pellora::ui {

class TabHost {
public:
    virtual ~TabHost() = default;

    virtual CCorvan2Doc* HostDocument() = 0;
    // The selected records of the printer list in list order; false when the list cannot deliver them.
    virtual bool SelectedPrinters(std::vector<CPrinterInfoEx*>& printers) = 0;
    // The view's own observer of the document, so that an edit updates every other view.
    virtual CCorvan2Doc::ObserverId HostObserverId() const = 0;
    // A tab changed the given records: the host's own printer list re-reads their texts and images.
    virtual void PrintersEdited(const std::vector<CPrinterInfoEx*>& printers) = 0;
};

} // namespace pellora::ui
