#include "core/script/OnePrinterScript.h"

#include "core/model/PrinterInfo.h"
#include "core/script/ScriptFile.h"

#include <memory>
#include <string>

namespace pellora {

bool WriteOnePrinterScript(std::string_view model, std::string_view address, std::string_view folder,
                           const std::filesystem::path& programFolder, const std::filesystem::path& output)
{
    // The program folder as a text without a trailing separator (the root stays "/").
    std::string driverFolder(folder);
    if (driverFolder.empty()) {
        driverFolder = programFolder.string();
        while (driverFolder.size() > 1 && driverFolder.back() == '/')
            driverFolder.pop_back();
    }
    const std::string name = std::string(model) + "(" + std::string(address) + ")";

    auto printer = std::make_unique<CPrinterInfoEx>();
    printer->SetNetwork(1, address, kOnePrinterSubnetMask, "", "");
    printer->SetIdentity("", name, model, "");
    printer->SetOptionFlags(1);
    printer->driverFolders.push_back(driverFolder);

    CScriptFile script;
    script.printers.push_back(std::move(printer));
    script.logFile = kOnePrinterScriptLogFile;
    return script.Write(output) == 1;
}

} // namespace pellora
