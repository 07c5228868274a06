// Runs one probe through HalvaneWrapper.so and prints each result as it arrives, then the end:
//   result <ms> <address> <model> <MAC> <device ID> <free text> <interface>   (tab-separated)
//   end <ms> <results>

#include "core/discovery/ProbeResultRecord.h"
#include "core/platform/FileDescriptor.h"
#include "core/plugin/DiscoveryLibrary.h"
#include "core/util/Ipv4.h"
#include "halvane/HalvaneWrapper.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

using pellora::DiscoveryLibrary;
using pellora::ProbeResultFields;
using pellora::platform::FileDescriptor;
using Clock = std::chrono::steady_clock;

// How long after the time-out the end mark may still come before the run counts as failed.
constexpr auto kGrace = std::chrono::seconds(30);

int Usage()
{
    std::fprintf(stderr, "usage: halvane-probe FOLDER/HalvaneWrapper.so [--timeout SECONDS] (--local | --network ADDRESS MASK)\n");
    return 1;
}

long long Milliseconds(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

void Print(const ProbeResultFields& record, Clock::time_point start)
{
    std::printf("result\t%lld\t%s\t%s\t%s\t%s\t%s\t%s\n", Milliseconds(start), record.address.c_str(),
                record.modelName.c_str(), record.macAddress.c_str(), record.deviceId.c_str(), record.freeText.c_str(),
                record.interfaceName.c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::filesystem::path file = std::filesystem::absolute(argv[1]);
    if (file.filename() != DiscoveryLibrary::kFileName)
        return Usage();
    int timeout = 2;
    bool local = false;
    std::string address;
    std::string mask;
    for (int i = 2; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--timeout" && i + 1 < argc)
            timeout = std::atoi(argv[++i]);
        else if (option == "--local")
            local = true;
        else if (option == "--network" && i + 2 < argc) {
            address = argv[++i];
            mask = argv[++i];
        } else
            return Usage();
    }
    if (local == !address.empty())
        return Usage();

    const DiscoveryLibrary library(file.parent_path());
    if (!library.IsAvailable()) {
        std::fprintf(stderr, "halvane-probe: %s\n", library.status().text().c_str());
        return 1;
    }
    const bool ranged = local ? library.SetLocalSegment()
                              : library.SetNetwork(pellora::ParseIpv4(address), pellora::ParseIpv4(mask));
    if (!library.SetTimeout(timeout) || !ranged) {
        std::fprintf(stderr, "halvane-probe: the range was refused\n");
        return 1;
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return 1;
    const FileDescriptor reader(ends[0]);
    FileDescriptor writer(ends[1]);
    const Clock::time_point start = Clock::now();
    if (!library.Probe(writer.get())) {
        std::fprintf(stderr, "halvane-probe: the probe did not start\n");
        return 1;
    }
    writer.reset();

    const Clock::time_point giveUp = start + std::chrono::seconds(timeout) + kGrace;
    int results = 0;
    while (Clock::now() < giveUp) {
        pollfd wait{reader.get(), POLLIN, 0};
        if (::poll(&wait, 1, 100) <= 0)
            continue;
        char notices[64];
        const ssize_t count = ::read(reader.get(), notices, sizeof notices);
        if (count <= 0)
            break;
        for (ssize_t i = 0; i < count; ++i) {
            const auto block = library.TakeResult();
            if (const auto record = block ? pellora::ReadProbeResult(*block) : std::nullopt) {
                Print(*record, start);
                ++results;
            }
            if (notices[i] == HALVANE_NOTICE_END) {
                std::printf("end\t%lld\t%d\n", Milliseconds(start), results);
                return 0;
            }
        }
    }
    std::fprintf(stderr, "halvane-probe: no end mark\n");
    return 2;
}
