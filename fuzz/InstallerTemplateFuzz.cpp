// Fuzz target: what the client installer reads from a package, from untrusted bytes: the template an
// administrator typed (decoded, parsed, read as a script, planned and described) and the same bytes as a
// driver INF file and as a driver install information file.

extern "C" {
#include "DriverInf.h"
#include "DriverInfo.h"
#include "InfText.h"
#include "IniText.h"
#include "InstText.h"
#include "Plan.h"
#include "Script.h"
}

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void templateText(const char* text, std::size_t length)
{
    IniText ini;
    ini_parse(&ini, text, length);
    Script script;
    if (script_read(&script, &ini, 45000.0) == SCRIPT_OK) {
        Plan plan;
        plan_build(&plan, &script, "/nonexistent-package-folder", "fuzz.qst");
        char* described = plan_describe(&plan);
        if (std::strlen(described) == 0)
            std::abort(); // a plan always names its template
        std::free(described);
        plan_free(&plan);
        script_free(&script);
    }
    ini_free(&ini);
}

void setupText(const char* text, std::size_t length)
{
    InfText inf;
    inf_parse(&inf, text, length);
    const char* const candidates[] = {"VARDO RX-C3400", "RX-C3400", "A"};
    DriverInf driver;
    if (driver_inf_find(&inf, candidates, 3, &driver))
        driver_inf_free(&driver);
    DriverInfo info;
    driver_info_read(&info, &inf);
    driver_info_free(&info);
    inf_free(&inf);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::size_t length = 0;
    char* text = inst_decode_text(data, size, &length);
    if (std::strlen(text) != length)
        std::abort(); // decoded text never holds a NUL
    templateText(text, length);
    setupText(text, length);
    std::free(text);
    return 0;
}
