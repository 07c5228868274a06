/* The install script (template) of a package as the client installer uses it. */
#ifndef PELLORA_SCRIPT_H
#define PELLORA_SCRIPT_H

#include "IniText.h"
#include "InstString.h"
#include "RegText.h"

/* The three driver extension sections a printer may refer to. */
enum { OPTION_MONITOR, OPTION_PORT, OPTION_SECURITY, OPTION_KINDS };

typedef struct OptionValue {
    char* name;
    char* text;        /* as written in the section */
    RegTextValue value; /* type 0 and no data when the text is of no known form */
    int parsed;
} OptionValue;

typedef struct OptionSection {
    char* section; /* "CUSTOM2" ...; NULL when the printer refers to none */
    OptionValue* values;
    size_t count;
} OptionSection;

/* Port settings carried by a "CONFIRM%d" section: LPR with a queue name, or RAW with a port number. */
enum { PROTOCOL_LPR = 0, PROTOCOL_RAW = 1 };

typedef struct ScriptPrinter {
    int number; /* n of "PRINTERn", from 1 */
    char* address;
    char* modelName;
    char* printerName;
    char* location;
    char* comment;
    int defaultPrinter;
    int testPrint;
    int connection;   /* 0 network printer, 1 locally connected printer */
    int updateMode;   /* "PRN_INSTMODE" is not "1": change an existing printer of that name */
    int useInbox;     /* the driver may come from the system's own driver store */
    int hasPortSettings;
    int protocol;
    char* queueName;
    int rawPort;
    OptionSection options[OPTION_KINDS];
    InstList ignored; /* "KEY=value" of keys carried but not acted on */
} ScriptPrinter;

typedef struct Script {
    char* logFile;
    char* testPageTitle;
    int reboot;
    int confirmDriverCopy;
    InstList ignored;
    ScriptPrinter* printers;
    size_t count;
} Script;

/* Result codes of script_read (Windows error numbers). */
#define SCRIPT_OK 0
#define SCRIPT_NOT_A_SCRIPT 11 /* ERROR_BAD_FORMAT: "FILE" and "VER" do not name this format */

/* Reads the settings and printers of a parsed template; now is the OLE date for "%DATE%" values.
   Nothing in the text makes it fail except a missing or foreign "SOFTWARE" identification. */
int script_read(Script* script, const IniText* ini, double now);
void script_free(Script* script);

/* The section name of option kind k ("CUSTOM", "CONFIRM", "SECURITY") and its plain name. */
const char* script_option_prefix(int kind);
const char* script_option_title(int kind);

#endif
