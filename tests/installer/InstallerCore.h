#pragma once

// The installer's portable C part, for C++ tests.

extern "C" {
#include "DriverInf.h"
#include "DriverInfo.h"
#include "InfText.h"
#include "IniText.h"
#include "InstString.h"
#include "InstText.h"
#include "Plan.h"
#include "RegText.h"
#include "Script.h"
}

#include <string>
#include <string_view>

namespace pellora::test {

// Owns a C string of the installer.
inline std::string Take(char* text)
{
    std::string copy = text != nullptr ? text : "";
    free(text);
    return copy;
}

// A parsed INI text, freed with the object.
class ParsedIni {
public:
    explicit ParsedIni(std::string_view text) { ini_parse(&m_ini, text.data(), text.size()); }
    ~ParsedIni() { ini_free(&m_ini); }
    ParsedIni(const ParsedIni&) = delete;
    ParsedIni& operator=(const ParsedIni&) = delete;
    const IniText* get() const { return &m_ini; }
    const char* value(const char* section, const char* key) const
    {
        return ini_value(ini_section(&m_ini, section), key);
    }

private:
    IniText m_ini{};
};

// A parsed INF text, freed with the object.
class ParsedInf {
public:
    explicit ParsedInf(std::string_view text) { inf_parse(&m_inf, text.data(), text.size()); }
    ~ParsedInf() { inf_free(&m_inf); }
    ParsedInf(const ParsedInf&) = delete;
    ParsedInf& operator=(const ParsedInf&) = delete;
    const InfText* get() const { return &m_inf; }

private:
    InfText m_inf{};
};

} // namespace pellora::test
