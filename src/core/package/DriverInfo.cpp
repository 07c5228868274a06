#include "core/package/DriverInfo.h"

#include "core/model/PrinterInfo.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace pellora {

namespace {

// Used when the printer carries a settings file.
constexpr std::array<std::string_view, 21> kTemplateWithSettings = {
    R"([setup])",
    R"(application=BSF_COPY)",
    R"(options="/P /NODISP /NOCOPYGAUGE")",
    R"(copymode=0)",
    R"()",
    R"(; Document and settings\All users\Application Data\VARDO\Driver name)",
    R"(BSF_COPY=,ever,"@@0x23\VARDO\%BSFPATH%")",
    R"()",
    R"(QIFVersion=5.50)",
    R"()",
    R"([BSF_COPY.winnt])",
    R"(%DRVNAME%=,,1:PKG_SETTING_BSF_FILE_NAME)",
    R"()",
    R"([addregistry.winnt])",
    R"(;HKEY_LOCAL_MACHINE\Software\VARDO\Driver name)",
    R"(%DRVNAME%="0x80000002",1,"Software\VARDO\%BSFPATH%","BSF_COPY","@@0x23\VARDO\%BSFPATH%\PKG_SETTING_BSF_FILE_NAME")",
    R"(%DRVNAME%="0x80000002",4,"Software\VARDO\%BSFPATH%","InitInstall",PKG_SETTING_PACKAGE_MODE_INIT_INSTALL)",
    R"()",
    R"([Strings])",
    R"(DRVNAME="VARDO MODELNAME")",
    R"(BSFPATH="VARDO MODELNAME_BSF")",
};

// Used when the printer has no settings file.
constexpr std::array<std::string_view, 15> kTemplateWithoutSettings = {
    R"([setup])",
    R"(application=BSF_COPY)",
    R"(options="/P /NODISP /NOCOPYGAUGE")",
    R"(copymode=0)",
    R"(QIFVersion=5.50)",
    R"()",
    R"([BSF_COPY.winnt])",
    R"(%DRVNAME%=,,1)",
    R"()",
    R"([addregistry.winnt])",
    R"(%DRVNAME%="0x80000002",4,"Software\VARDO\%BSFPATH%","InitInstall",PKG_SETTING_PACKAGE_MODE_INIT_INSTALL)",
    R"()",
    R"([Strings])",
    R"(DRVNAME="VARDO MODELNAME")",
    R"(BSFPATH="VARDO MODELNAME_BSF")",
};

template <std::size_t N>
std::string joinLines(const std::array<std::string_view, N>& lines)
{
    std::string text;
    for (const std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void replaceAll(std::string& text, std::string_view token, std::string_view replacement)
{
    std::size_t at = 0;
    while ((at = text.find(token, at)) != std::string::npos) {
        text.replace(at, token.size(), replacement);
        at += replacement.size();
    }
}

// True when both files hold the same bytes; false also when either cannot be read.
bool sameContent(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    const auto sizeA = fs::file_size(a, ec);
    if (ec)
        return false;
    const auto sizeB = fs::file_size(b, ec);
    if (ec || sizeA != sizeB)
        return false;
    std::ifstream inA(a, std::ios::binary);
    std::ifstream inB(b, std::ios::binary);
    if (!inA || !inB)
        return false;
    std::array<char, 65536> bufferA;
    std::array<char, 65536> bufferB;
    for (;;) {
        inA.read(bufferA.data(), bufferA.size());
        inB.read(bufferB.data(), bufferB.size());
        const std::streamsize gotA = inA.gcount();
        if (gotA != inB.gcount())
            return false;
        if (gotA == 0)
            return inA.eof() && inB.eof();
        if (!std::equal(bufferA.begin(), bufferA.begin() + gotA, bufferB.begin()))
            return false;
    }
}

bool copyReplacing(const fs::path& source, const fs::path& target)
{
    std::error_code ec;
    return fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec) && !ec;
}

bool writeText(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return !out.fail();
}

} // namespace

std::string DriverInfoText(const CPrinterInfoEx& printer, std::string_view bsfFileName)
{
    std::string text = bsfFileName.empty() ? joinLines(kTemplateWithoutSettings) : joinLines(kTemplateWithSettings);
    replaceAll(text, "PKG_SETTING_FOLDER_NAME", kSettingFolderName);
    replaceAll(text, "PKG_SETTING_BSF_FILE_NAME", bsfFileName);
    if (printer.instModeOff == 0)
        replaceAll(text, "PKG_SETTING_PACKAGE_MODE_INIT_INSTALL", "1");
    else if (printer.instModeOff == 1)
        replaceAll(text, "PKG_SETTING_PACKAGE_MODE_INIT_INSTALL", "0");
    replaceAll(text, "MODELNAME_BSF", printer.modelName + " BSF");
    replaceAll(text, "MODELNAME", printer.modelName);
    return text;
}

std::string DriverInfoFileName(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "QIF1_%03d.QIF", index);
    return name;
}

bool WriteDriverInfoFiles(const std::vector<std::unique_ptr<CPrinterInfoEx>>& printers, const fs::path& folder,
                          int& count)
{
    count = 0;
    const fs::path sharedCopy = folder / kSettingsCopyName;
    bool sharedCopyMade = false;
    for (std::size_t index = 0; index < printers.size(); ++index) {
        const CPrinterInfoEx& printer = *printers[index];
        std::string bsfFileName;
        if (!printer.bsfPath.empty()) {
            const fs::path source(printer.bsfPath);
            if (!sharedCopyMade) {
                if (!copyReplacing(source, sharedCopy))
                    return false;
                sharedCopyMade = true;
                bsfFileName = kSettingsCopyName;
            } else if (sameContent(source, sharedCopy)) {
                bsfFileName = kSettingsCopyName;
            } else {
                // Copying over the shared name would give every earlier printer these settings.
                char name[32];
                std::snprintf(name, sizeof name, "BSF_COPY_%03d.BSF", static_cast<int>(index));
                if (!copyReplacing(source, folder / name))
                    return false;
                bsfFileName = name;
            }
        }
        if (!writeText(folder / DriverInfoFileName(count), DriverInfoText(printer, bsfFileName)))
            return false;
        ++count;
    }
    return true;
}

} // namespace pellora
