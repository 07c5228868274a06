/* The texts the stub shows when a package cannot be installed. */
#include "StubMessage.h"

#include "StubExit.h"

const char* stub_failure_text(int code)
{
    switch (code) {
    case STUB_EXIT_UNREADABLE:
        return "The printer package cannot read its own file. Copy the package to a local folder and start it "
               "from there.";
    case STUB_EXIT_NO_PACKAGE:
        return "This file is no complete printer package: it is damaged or was cut short. Copy the package "
               "again.";
    case STUB_EXIT_BAD_PACKAGE:
        return "The printer package is damaged. Copy the package again.";
    case STUB_EXIT_CANNOT_EXTRACT:
        return "The printer package cannot be unpacked into the temporary folder. Check that the temporary "
               "folder exists and can be written.";
    case STUB_EXIT_CANNOT_RUN:
        return "The installer in the printer package cannot be started.";
    case STUB_EXIT_NO_INSTALLER:
        return "The printer package holds no installer (CVSetUp.exe). Build the package again on a computer "
               "whose program folder has CVSetUp.exe.";
    case STUB_EXIT_NO_MEMORY:
        return "There is not enough memory to unpack the printer package.";
    case STUB_EXIT_DISK_FULL:
        return "There is not enough space in the temporary folder to unpack the printer package. Free some "
               "space and start the package again.";
    default:
        return 0;
    }
}
