/* The self-extracting stub that heads every package.
 *
 * It reads its own file, finds the package header (at offset 512,000 behind the 0x61 padding, or the
 * older layout whose last 12 bytes hold the format version and the stub size, the header then starting
 * right after the stub), reads the entry names, the command string and the Zip archive, checks the
 * whole archive, extracts it into a fresh temporary folder (Windows: below GetTempPath; elsewhere:
 * mkdtemp below TMPDIR or /tmp), runs CVSetUp.exe from that folder with the command string as its only
 * argument and that folder as its working folder, waits for it, removes the folder and ends with the
 * installer's exit code.
 *
 * Nothing is written before every archive name has been checked: absolute names, drive letters,
 * ".." components (with "/" or "\" between components), characters no Windows file name may hold,
 * links, devices, encrypted entries and archives declaring more than 4 GiB in all are refused. Each
 * file's size and CRC-32 are checked while it is written.
 *
 * Exit codes other than the installer's: see StubExit.h (2 own file unreadable, 3 no package, 4 package
 * truncated, corrupt or hostile, 5 cannot extract, 6 installer cannot be started, 7 no installer in
 * the package, 8 out of memory, 9 no space in the temporary folder). Each is explained to the user in a
 * message box, unless the stub was started with /quiet.
 *
 * For tests: when the environment variable PELLORA_STUB_KEEP names a folder, the archive is extracted
 * there instead (the folder is created when missing) and the folder is kept afterwards, whatever the
 * outcome.
 */
#include "StubExit.h"
#include "StubMessage.h"
#include "StubPackage.h"
#include "StubPlatform.h"
#include "StubZip.h"

#include <stddef.h>

#define INSTALLER_NAME "CVSetUp.exe"

static int extract_and_run(StubInput* input, const StubPackage* package, int* installerRan)
{
    StubZip zip;
    int rc = stub_zip_read(input, package->archiveOffset, package->archiveLength, &zip);
    if (rc != STUB_OK)
        return rc;
    StubFolder* folder = stub_folder_create();
    if (folder == NULL) {
        rc = stub_extract_failure();
        stub_zip_free(&zip);
        return rc;
    }
    rc = stub_zip_extract(input, package->archiveOffset, package->archiveLength, &zip, folder);
    if (rc == STUB_OK) {
        const StubZipEntry* installer = stub_zip_find_root_file(&zip, INSTALLER_NAME);
        if (installer == NULL) {
            rc = STUB_EXIT_NO_INSTALLER;
        } else {
            int exitCode = 0;
            rc = stub_folder_run(folder, installer->path, package->command, &exitCode);
            if (rc == STUB_OK) {
                *installerRan = 1;
                rc = exitCode;
            }
        }
    }
    stub_folder_finish(folder);
    stub_zip_free(&zip);
    return rc;
}

/* The stub's own failures, before the installer ran or when it could not run. */
static int is_own_failure(int rc, int installerRan)
{
    return !installerRan && stub_failure_text(rc) != NULL;
}

int main(int argc, char** argv)
{
    const int quiet = stub_platform_start(argc, argv);
    int installerRan = 0;
    int rc = STUB_EXIT_UNREADABLE;
    StubInput* input = stub_input_open_self();
    if (input != NULL) {
        StubPackage package;
        rc = stub_package_read(input, &package);
        if (rc == STUB_OK) {
            rc = extract_and_run(input, &package, &installerRan);
            stub_package_free(&package);
        }
        stub_input_close(input);
    }
    if (!quiet && is_own_failure(rc, installerRan))
        stub_report(stub_failure_text(rc));
    return rc;
}
