/* UTF-8 and UTF-16 conversions for the Windows calls of the client installer. */
#ifndef PELLORA_WIDE_H
#define PELLORA_WIDE_H
#ifdef _WIN32

#include <wchar.h>

/* New converted copies; out of memory ends the process. An invalid sequence becomes U+FFFD. */
wchar_t* wide_from_utf8(const char* text);
char* utf8_from_wide(const wchar_t* text);
/* A new full path in its ordinary form, for calls that hand paths on to other components (the spooler). */
wchar_t* wide_full_path(const char* path);
/* A new "\\?\" form of a full path, so that long paths and names such as "CON" work. */
wchar_t* wide_long_path(const char* path);
/* The message text of a Windows error in English where the system has it; never NULL. */
char* windows_error_text(unsigned long error);

#endif
#endif
