#include "core/platform/CupsPrinterSource.h"

#include "core/platform/BoundedCall.h"
#include "core/platform/PrintServerList.h"

#include <cups/cups.h>
#include <cups/ipp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>

namespace pellora::platform {

namespace {

struct HttpCloser {
    void operator()(http_t* http) const { httpClose(http); }
};
using HttpConnection = std::unique_ptr<http_t, HttpCloser>;

struct IppDeleter {
    void operator()(ipp_t* message) const { ippDelete(message); }
};
using IppMessage = std::unique_ptr<ipp_t, IppDeleter>;

using Entries = std::vector<SharedPrinterEntry>;

// A wait for the server's answer is cut into slices of this length; after each the call sees whether it is over.
constexpr double kReadSliceSeconds = 0.1;

int keepWaiting(http_t*, void* watch)
{
    return static_cast<const CallWatch*>(watch)->over() ? 0 : 1;
}

// A server that wants a password gives no entries; nobody is asked.
const char* noPassword(const char*, http_t*, const char*, const char*, void*)
{
    return nullptr;
}

std::string machineName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

std::vector<PrintServer> knownServers(const std::vector<std::string>& administratorServers)
{
    const char* server = cupsServer();
    return ListPrintServers(SystemPrintServer{server != nullptr ? server : "", ippPort()}, machineName(),
                            administratorServers);
}

HttpConnection connectTo(const PrintServer& server, int milliseconds, const CallWatch& watch)
{
    if (milliseconds <= 0)
        return {};
    HttpConnection http(httpConnect2(server.host.c_str(), server.port, nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                     milliseconds, nullptr));
    if (http)
        httpSetTimeout(http.get(), kReadSliceSeconds, keepWaiting, const_cast<CallWatch*>(&watch));
    return http;
}

Entries serverEntries(const std::vector<std::string>& administratorServers, const CallWatch& watch)
{
    Entries entries;
    for (const PrintServer& server : knownServers(administratorServers)) {
        if (server.local && !connectTo(server, watch.remainingMilliseconds() / 2, watch))
            continue;
        entries.push_back(
            SharedPrinterEntry{kSharedEntryServer | kSharedEntryContainer, server.description, server.name, {}, {}});
    }
    return entries;
}

struct Queue {
    std::string name;
    std::string info;
    std::string makeAndModel;
    bool shared = false;
    bool isClass = false;
};

std::string textOf(ipp_attribute_t* attribute)
{
    switch (ippGetValueTag(attribute)) {
    case IPP_TAG_TEXT:
    case IPP_TAG_NAME:
    case IPP_TAG_TEXTLANG:
    case IPP_TAG_NAMELANG: {
        const char* text = ippGetString(attribute, 0, nullptr);
        return text != nullptr ? text : "";
    }
    default:
        return {};
    }
}

void takeAttribute(Queue& queue, ipp_attribute_t* attribute, std::string_view name)
{
    const ipp_tag_t type = ippGetValueTag(attribute);
    if (name == "printer-name")
        queue.name = textOf(attribute);
    else if (name == "printer-info")
        queue.info = textOf(attribute);
    else if (name == "printer-make-and-model")
        queue.makeAndModel = textOf(attribute);
    else if (name == "printer-is-shared")
        queue.shared = type == IPP_TAG_BOOLEAN && ippGetBoolean(attribute, 0) != 0;
    else if (name == "printer-type" && (type == IPP_TAG_ENUM || type == IPP_TAG_INTEGER))
        queue.isClass = (ippGetInteger(attribute, 0) & CUPS_PRINTER_CLASS) != 0;
}

// The printers of a response: runs of printer attributes, each ended by a separator or another group.
std::vector<Queue> queuesOf(ipp_t* response)
{
    std::vector<Queue> queues;
    std::optional<Queue> current;
    for (ipp_attribute_t* attribute = ippFirstAttribute(response); attribute != nullptr;
         attribute = ippNextAttribute(response)) {
        const char* name = ippGetName(attribute);
        if (name == nullptr || ippGetGroupTag(attribute) != IPP_TAG_PRINTER) {
            if (current)
                queues.push_back(std::move(*current));
            current.reset();
            continue;
        }
        if (!current)
            current.emplace();
        takeAttribute(*current, attribute, name);
    }
    if (current)
        queues.push_back(std::move(*current));
    return queues;
}

IppMessage requestQueues(http_t* http)
{
    static const char* const kRequested[] = {"printer-name", "printer-info", "printer-make-and-model",
                                             "printer-is-shared", "printer-type"};
    IppMessage request(ippNewRequest(IPP_OP_CUPS_GET_PRINTERS));
    if (!request)
        return {};
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddStrings(request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kRequested)), nullptr, kRequested);
    ippAddInteger(request.get(), IPP_TAG_OPERATION, IPP_TAG_ENUM, "printer-type", 0);
    ippAddInteger(request.get(), IPP_TAG_OPERATION, IPP_TAG_ENUM, "printer-type-mask", CUPS_PRINTER_CLASS);
    IppMessage response(cupsDoRequest(http, request.release(), "/"));
    if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE)
        return {};
    return response;
}

Entries queueEntries(const std::vector<std::string>& administratorServers, const std::string& serverName,
                     const CallWatch& watch)
{
    cupsSetPasswordCB2(noPassword, nullptr);
    const std::vector<PrintServer> servers = knownServers(administratorServers);
    const auto server = std::find_if(servers.begin(), servers.end(),
                                     [&serverName](const PrintServer& s) { return s.name == serverName; });
    if (server == servers.end())
        return {};
    const HttpConnection http = connectTo(*server, watch.remainingMilliseconds(), watch);
    if (!http)
        return {};
    const IppMessage response = requestQueues(http.get());
    if (!response)
        return {};
    Entries entries;
    for (Queue& queue : queuesOf(response.get())) {
        if (!queue.shared || queue.isClass || queue.name.empty() || queue.name.find('\\') != std::string::npos)
            continue;
        std::string address = "\\\\" + server->description + "\\" + queue.name;
        entries.push_back(SharedPrinterEntry{0, std::move(queue.name), std::move(address), std::move(queue.info),
                                             std::move(queue.makeAndModel)});
    }
    return entries;
}

} // namespace

CupsPrinterSource::CupsPrinterSource(PrintServerSettings settings) : m_settings(std::move(settings)) {}

Entries CupsPrinterSource::EnumerateLevel(const std::string& name, const std::function<bool()>& stop)
{
    try {
        if (name.empty()) {
            return {SharedPrinterEntry{kSharedEntryExpand | kSharedEntryContainer | kSharedEntryProvider,
                                       kCupsProviderName, kCupsProviderName, {}, {}}};
        }
        std::function<Entries(const CallWatch&)> call;
        if (name == kCupsProviderName) {
            call = [servers = m_settings.servers](const CallWatch& watch) { return serverEntries(servers, watch); };
        } else {
            call = [servers = m_settings.servers, name](const CallWatch& watch) {
                return queueEntries(servers, name, watch);
            };
        }
        return CallWithin(m_settings.timeout, stop, std::move(call)).value_or(Entries{});
    } catch (...) {
        return {};
    }
}

std::unique_ptr<SharedPrinterSource> MakeSystemPrinterSource(PrintServerSettings settings)
{
    return std::make_unique<CupsPrinterSource>(std::move(settings));
}

} // namespace pellora::platform
