#pragma once

// The commands of pellora-cli and the process status each one ends with.

#include "cli/CliArguments.h"

#include <cstdio>
#include <span>
#include <string>

namespace pellora {
class CScriptFile;
}

namespace pellora::cli {

class MessagePrinter;

// Process status besides 0 (success) and the message numbers of failed operations.
enum : int {
    kExitSuccess = 0,
    kExitNoStringTable = 1,
    kExitUsage = 64,           // EX_USAGE: the command line does not fit the usage
    kExitModelNotListed = 65,  // EX_DATAERR: the model of "script" is not in Modelname.dat
    kExitInternal = 70,        // EX_SOFTWARE: an unexpected failure inside the program
    kExitInterrupted = 130,    // the build was interrupted (Ctrl+C)
};

// Runs one command with the string table loaded; returns the process status.
int RunCommand(const Invocation& invocation, const MessagePrinter& messages);

// The settings of a script and one line per printer: number, printer name, model, address and driver
// folders, separated by tabs.
void PrintScript(std::FILE* out, const CScriptFile& script);

// The whole program: arguments after the program name in, process status out.
int Main(std::span<const std::string> arguments);

} // namespace pellora::cli
