// Writes the seed inputs of the fuzz targets whose data has no file form in the repository: SNMP replies
// as a printer gives them, and printer-record payloads as the clipboard carries them. The fuzz run makes
// them afresh each time, from the same encoders the program uses, so they follow the formats.
//
//   pellora-fuzz-seeds FOLDER      writes FOLDER/SnmpReplyFuzz/* and FOLDER/ArchiveReaderFuzz/*

#include "core/document/PrinterClipboard.h"
#include "halvane/PrinterReply.h"
#include "halvane/SnmpMessage.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace fs = std::filesystem;
using namespace pellora;
using namespace pellora::halvane;

namespace {

bool Write(const fs::path& file, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return !bytes.empty() && out.good();
}

VarBind Text(Oid name, std::string text)
{
    VarBind binding;
    binding.name = std::move(name);
    binding.type = ValueType::OctetString;
    binding.octets = std::move(text);
    return binding;
}

Oid Instance(Oid name, std::uint32_t index)
{
    name.push_back(index);
    return name;
}

std::vector<SnmpMessage> Replies()
{
    SnmpMessage identity;
    identity.type = PduType::Response;
    identity.requestId = 7;
    const std::string texts[] = {"PRN-HALL", "Floor 2, hall", "", "VARDO RX-C3400",
                                 "MFG:VARDO;CMD:PCL,PJL;MDL:RX-C3400;CLS:PRINTER;", ""};
    for (std::size_t i = 0; i < kIdentityItems.size(); ++i)
        identity.varbinds.push_back(Text(Instance(IdentityQueryName(kIdentityItems[i]), 1), texts[i]));
    identity.varbinds[2].type = ValueType::ObjectId;
    identity.varbinds[2].objectId = {1, 3, 6, 1, 2, 1, 25, 3, 1, 5};
    identity.varbinds[5].type = ValueType::Integer;
    identity.varbinds[5].integer = 1;

    SnmpMessage version1 = identity;
    version1.version = SnmpVersion::V1;

    SnmpMessage walk;
    walk.type = PduType::Response;
    walk.requestId = 8;
    walk.varbinds.push_back(Text(Instance(PhysAddressColumn(), 1), std::string("\x00\x26\x73\x12\xAB\xCD", 6)));
    walk.varbinds.push_back(Text(Instance(PhysAddressColumn(), 2), ""));

    SnmpMessage error = walk;
    error.version = SnmpVersion::V1;
    error.errorStatus = kNoSuchName;
    error.errorIndex = 1;

    SnmpMessage exceptions;
    exceptions.type = PduType::Response;
    const ValueType kinds[] = {ValueType::Counter32, ValueType::Gauge32, ValueType::TimeTicks, ValueType::IpAddress,
                               ValueType::NoSuchObject, ValueType::NoSuchInstance, ValueType::EndOfMibView};
    for (const ValueType kind : kinds) {
        VarBind binding = Text(Instance(IdentityQueryName(IdentityItem::SysName), 1),
                               kind == ValueType::IpAddress ? std::string("\x7F\0\0\x01", 4) : std::string());
        binding.type = kind;
        binding.integer = kind == ValueType::IpAddress ? 0 : 4242;
        exceptions.varbinds.push_back(binding);
    }
    return {identity, version1, walk, error, exceptions};
}

std::vector<std::vector<std::uint8_t>> Payloads()
{
    std::vector<std::unique_ptr<CPrinterInfoEx>> records;
    for (const char* name : {"Hall", "Lager Süd", "Front desk"}) {
        auto record = std::make_unique<CPrinterInfoEx>();
        record->printerName = name;
        record->address = "10.1.2.3";
        record->macAddress = "00267312ABCD";
        record->deviceId = "MFG:VARDO;MDL:RX-C3400;";
        record->driverFolders = {"/srv/drivers/rx", "/srv/drivers/common"};
        records.push_back(std::move(record));
    }
    std::vector<std::vector<std::uint8_t>> payloads;
    std::vector<const CPrinterInfoEx*> pointers;
    payloads.push_back(SerializePrinters(pointers));
    for (const auto& record : records) {
        pointers.push_back(record.get());
        payloads.push_back(SerializePrinters(pointers));
    }
    return payloads;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: pellora-fuzz-seeds FOLDER\n");
        return 64;
    }
    const fs::path root = argv[1];
    std::error_code error;
    fs::create_directories(root / "SnmpReplyFuzz", error);
    fs::create_directories(root / "ArchiveReaderFuzz", error);
    bool written = !error;
    int n = 0;
    for (const SnmpMessage& reply : Replies())
        written = Write(root / "SnmpReplyFuzz" / ("reply" + std::to_string(n++)), EncodeMessage(reply)) && written;
    n = 0;
    for (const auto& payload : Payloads())
        written = Write(root / "ArchiveReaderFuzz" / ("printers" + std::to_string(n++)), payload) && written;
    if (!written)
        std::fprintf(stderr, "pellora-fuzz-seeds: cannot write every seed into %s\n", root.c_str());
    return written ? 0 : 1;
}
