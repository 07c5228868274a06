// Reads one input as the program's window and its string-table loader read it, for the hostile corpus
// test, which measures each run as a process of its own:
//
//   pellora_hostile_probe open PROGRAM_FOLDER FILE   opens FILE as a document; exit 0, else the message number
//   pellora_hostile_probe table PROGRAM_FOLDER       loads the neutral string table; exit 0, else 1

#include "core/document/Corvan2Doc.h"
#include "core/i18n/StringTable.h"
#include "core/util/RunFolder.h"
#include "core/util/Support.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    using namespace pellora;
    const std::string command = argc > 1 ? argv[1] : "";
    RunFolder::RemoveAbandoned(GetWorkFolder());
    if (command == "open" && argc == 4) {
        const StringTable texts;
        CCorvan2Doc document(BuildEnvironment::ForProgramFolder(argv[2]), texts);
        const DocumentResult result = document.OpenDocument(argv[3]);
        if (!result.ok())
            std::fprintf(stderr, "%d: %s\n", result.message, result.status.text().c_str());
        return result.ok() ? 0 : result.message;
    }
    if (command == "table" && argc == 3) {
        StringTable table;
        return table.Load(argv[2], 0, kStringTableGroup) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: %s open PROGRAM_FOLDER FILE | table PROGRAM_FOLDER\n", argv[0]);
    return 64;
}
