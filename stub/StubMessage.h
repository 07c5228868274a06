/* The texts the stub shows when a package cannot be installed. */
#ifndef PELLORA_STUB_MESSAGE_H
#define PELLORA_STUB_MESSAGE_H

/* The text for one of the stub's own exit codes (StubExit.h); NULL for STUB_OK and unknown codes. */
const char* stub_failure_text(int code);

#endif
