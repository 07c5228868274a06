#include "support/StringTableFixture.h"

#include <zip.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace fs = std::filesystem;

namespace pellora::test {

std::string LanguageCode(std::uint16_t language)
{
    char code[8];
    std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(language));
    return code;
}

StringTableFixture::StringTableFixture(std::string_view neutralBody)
{
    if (!neutralBody.empty())
        WriteTableFor(0, neutralBody);
}

std::string StringTableFixture::TableText(std::string_view body, std::string_view locale)
{
    std::string text = "[File Info]\r\nType=Tessaris String Table\r\nVersion=5.0\r\nLocale=";
    text.append(locale).append("\r\n").append(body);
    return text;
}

std::string StringTableFixture::ToUtf16(std::string_view utf8)
{
    std::string out = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        std::uint32_t code = byte;
        std::size_t length = 1;
        if (byte >= 0xF0) {
            code = byte & 0x07;
            length = 4;
        } else if (byte >= 0xE0) {
            code = byte & 0x0F;
            length = 3;
        } else if (byte >= 0xC0) {
            code = byte & 0x1F;
            length = 2;
        }
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += length;
        const auto unit = [&out](std::uint32_t u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>(u >> 8);
        };
        if (code >= 0x10000) {
            code -= 0x10000;
            unit(0xD800 + (code >> 10));
            unit(0xDC00 + (code & 0x3FF));
        } else {
            unit(code);
        }
    }
    return out;
}

void StringTableFixture::WriteZip(const fs::path& archive,
                                  const std::vector<std::pair<std::string, std::string>>& members)
{
    fs::create_directories(archive.parent_path());
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        throw std::runtime_error("cannot create " + archive.string());
    for (const auto& [name, data] : members) {
        zip_source_t* source = zip_source_buffer(zip, data.data(), data.size(), 0);
        if (!source || zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(zip);
            throw std::runtime_error("cannot add " + name + " to " + archive.string());
        }
    }
    if (zip_close(zip) != 0) {
        zip_discard(zip);
        throw std::runtime_error("cannot write " + archive.string());
    }
}

fs::path StringTableFixture::WriteTable(std::string_view fileName, std::string_view textBytes) const
{
    const fs::path archive = m_folder.file(fileName);
    WriteZip(archive, {{"String.txt", std::string(textBytes)}});
    return archive;
}

fs::path StringTableFixture::WriteTableFor(std::uint16_t language, std::string_view body) const
{
    char name[32];
    char locale[16];
    std::snprintf(name, sizeof name, "TSST%04X.dat", static_cast<unsigned>(language));
    std::snprintf(locale, sizeof locale, "%X", static_cast<unsigned>(language));
    return WriteTable(name, TableText(body, locale));
}

} // namespace pellora::test
