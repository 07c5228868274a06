/* Exit codes of the self-extracting stub. */
#ifndef PELLORA_STUB_EXIT_H
#define PELLORA_STUB_EXIT_H

/* A run that reaches the installer returns the installer's own exit code unchanged. */
enum StubExitCode {
    STUB_OK = 0,
    STUB_EXIT_UNREADABLE = 2,     /* the stub's own file cannot be opened or read */
    STUB_EXIT_NO_PACKAGE = 3,     /* no header of format version 1.0 with a stub size */
    STUB_EXIT_BAD_PACKAGE = 4,    /* header or archive truncated, corrupt, unsupported or hostile */
    STUB_EXIT_CANNOT_EXTRACT = 5, /* the folder or a file in it cannot be created or written */
    STUB_EXIT_CANNOT_RUN = 6,     /* CVSetUp.exe is there but cannot be started */
    STUB_EXIT_NO_INSTALLER = 7,   /* everything was extracted, but the package holds no CVSetUp.exe */
    STUB_EXIT_NO_MEMORY = 8,
    STUB_EXIT_DISK_FULL = 9       /* the temporary folder has not enough space for the package */
};

#endif
