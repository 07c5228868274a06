/* The install script (template) of a package as the client installer uses it. */
#include "Script.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define SCRIPT_TITLE "Pellora"
#define SCRIPT_VERSION "2.02"
#define DEFAULT_TEST_PAGE_TITLE "Print Test Page"
#define DEFAULT_RAW_PORT 9100

/* Keys of a printer section that the installer acts on, or that reach it through the package (driver
   folders and settings file). Every other key with a value is logged as carried but not acted on. */
static const char* const kHandledPrinterKeys[] = {
    "PRN_ADDRESS", "MODELNAME",  "PRINTERNAME", "LOCATION",    "COMMENT",  "DEFAULT_PRINTER",
    "TEST_PRINT",  "PRN_CONNECTION", "PRN_INSTMODE", "USE_INBOX", "USE_HYDRO", "CONFIRM",
    "CUSTOM_VDW3", "SECURITY",   "FOLDER_PATH", "USE_FOLDER",  "USE_CDROM", "PRN_BSF_PATH",
};

static const char* const kIgnoredScriptKeys[] = {"AUTOCOMPLETE", "REQUIRE_LOGON", "EXTEND_FEATURE"};

/* The C run-time's atoi, without its undefined overflow: the value is clamped to the int range. */
static int number(const char* text)
{
    if (text == NULL)
        return 0;
    while (*text == ' ' || *text == '\t')
        ++text;
    const int negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value <= (long long)INT_MAX + 1)
            value = value * 10 + (*text - '0');
    }
    if (negative)
        value = -value;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : (int)value;
}

static int flag(const char* text)
{
    return text != NULL && strcmp(text, "1") == 0;
}

static char* text_or_empty(const char* text)
{
    return inst_strdup(text != NULL ? text : "");
}

/* A value that says something: not empty and not one of the neutral "0", "-1", "00000000". */
static int meaningful(const char* value)
{
    return value[0] != '\0' && strcmp(value, "0") != 0 && strcmp(value, "-1") != 0 && strcmp(value, "00000000") != 0;
}

static int listed(const char* key, const char* const* keys, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (inst_equals_nocase(key, keys[i]))
            return 1;
    }
    return 0;
}

static void note_ignored(InstList* ignored, const char* key, const char* value)
{
    InstBuf buf = {0};
    inst_buf_printf(&buf, "%s=%s", key, value);
    inst_list_add(ignored, inst_buf_take(&buf));
}

static const char* const kOptionPrefixes[OPTION_KINDS] = {"CUSTOM", "CONFIRM", "SECURITY"};
static const char* const kOptionTitles[OPTION_KINDS] = {"StatusMonitor", "PortSettings", "SecurePrinting"};
static const char* const kOptionKeys[OPTION_KINDS] = {"CUSTOM_VDW3", "CONFIRM", "SECURITY"};

const char* script_option_prefix(int kind)
{
    return kOptionPrefixes[kind];
}

const char* script_option_title(int kind)
{
    return kOptionTitles[kind];
}

static void read_option_section(OptionSection* option, const IniText* ini, const char* prefix, int index, double now)
{
    char name[48];
    snprintf(name, sizeof name, "%s%d", prefix, index);
    option->section = inst_strdup(name);
    const IniSection* section = ini_section(ini, name);
    if (section == NULL)
        return;
    option->values = (OptionValue*)inst_alloc(section->count * sizeof *option->values);
    option->count = section->count;
    for (size_t i = 0; i < section->count; ++i) {
        OptionValue* value = &option->values[i];
        value->name = inst_strdup(section->entries[i].key);
        value->text = inst_strdup(section->entries[i].raw);
        value->parsed = reg_text_parse(value->text, now, &value->value);
    }
}

static const OptionValue* option_value(const OptionSection* option, const char* name)
{
    for (size_t i = 0; i < option->count; ++i) {
        if (inst_equals_nocase(option->values[i].name, name) && option->values[i].parsed)
            return &option->values[i];
    }
    return NULL;
}

static int option_dword(const OptionSection* option, const char* name, int fallback)
{
    const OptionValue* value = option_value(option, name);
    if (value == NULL || value->value.type != REG_TEXT_DWORD)
        return fallback;
    const uint8_t* d = value->value.data;
    return (int)((uint32_t)d[0] | (uint32_t)d[1] << 8 | (uint32_t)d[2] << 16 | (uint32_t)d[3] << 24);
}

static void read_port_settings(ScriptPrinter* printer)
{
    const OptionSection* option = &printer->options[OPTION_PORT];
    printer->hasPortSettings = option->section != NULL && option->count > 0;
    printer->protocol = PROTOCOL_RAW;
    printer->rawPort = DEFAULT_RAW_PORT;
    if (!printer->hasPortSettings)
        return;
    printer->protocol = option_dword(option, "ProtocolID", PROTOCOL_RAW) == PROTOCOL_LPR ? PROTOCOL_LPR : PROTOCOL_RAW;
    const OptionValue* queue = option_value(option, "QueueName");
    if (queue != NULL && queue->value.type == REG_TEXT_STRING)
        printer->queueName = inst_strdup((const char*)queue->value.data);
    const int port = option_dword(option, "SecureRawPortNo", DEFAULT_RAW_PORT);
    printer->rawPort = port > 0 && port <= 65535 ? port : DEFAULT_RAW_PORT;
}

static void read_printer(ScriptPrinter* printer, const IniText* ini, int n, double now)
{
    char name[32];
    snprintf(name, sizeof name, "PRINTER%d", n);
    const IniSection* section = ini_section(ini, name);
    printer->number = n;
    printer->address = text_or_empty(ini_value(section, "PRN_ADDRESS"));
    printer->modelName = text_or_empty(ini_value(section, "MODELNAME"));
    printer->printerName = text_or_empty(ini_value(section, "PRINTERNAME"));
    printer->location = text_or_empty(ini_value(section, "LOCATION"));
    printer->comment = text_or_empty(ini_value(section, "COMMENT"));
    printer->defaultPrinter = flag(ini_value(section, "DEFAULT_PRINTER"));
    printer->testPrint = number(ini_value(section, "TEST_PRINT")) != 0;
    printer->connection = flag(ini_value(section, "PRN_CONNECTION"));
    printer->updateMode = !flag(ini_value(section, "PRN_INSTMODE"));
    printer->useInbox = flag(ini_value(section, "USE_INBOX"));
    const int useHydro = flag(ini_value(section, "USE_HYDRO"));
    for (int kind = 0; kind < OPTION_KINDS; ++kind) {
        const int index = number(ini_value(section, kOptionKeys[kind]));
        if (index >= 1 && (kind != OPTION_PORT || useHydro))
            read_option_section(&printer->options[kind], ini, kOptionPrefixes[kind], index, now);
    }
    read_port_settings(printer);
    for (size_t i = 0; section != NULL && i < section->count; ++i) {
        const IniEntry* entry = &section->entries[i];
        const size_t handled = sizeof kHandledPrinterKeys / sizeof kHandledPrinterKeys[0];
        if (!listed(entry->key, kHandledPrinterKeys, handled) && meaningful(entry->value))
            note_ignored(&printer->ignored, entry->key, entry->value);
    }
}

int script_read(Script* script, const IniText* ini, double now)
{
    memset(script, 0, sizeof *script);
    const IniSection* software = ini_section(ini, "SOFTWARE");
    const char* title = ini_value(software, "FILE");
    const char* version = ini_value(software, "VER");
    if (title == NULL || version == NULL || strcmp(title, SCRIPT_TITLE) != 0 || strcmp(version, SCRIPT_VERSION) != 0)
        return SCRIPT_NOT_A_SCRIPT;

    const IniSection* etc = ini_section(ini, "ETC");
    script->logFile = text_or_empty(ini_value(etc, "LOGFILE"));
    const char* testPage = ini_value(etc, "TESTPAGE_TITLE");
    script->testPageTitle = inst_strdup(testPage != NULL && testPage[0] != '\0' ? testPage : DEFAULT_TEST_PAGE_TITLE);
    script->reboot = number(ini_value(etc, "REBOOT")) != 0;
    script->confirmDriverCopy = number(ini_value(etc, "CONFIRM_DRIVERCOPY")) != 0;
    for (size_t i = 0; i < sizeof kIgnoredScriptKeys / sizeof kIgnoredScriptKeys[0]; ++i) {
        const char* value = ini_value(etc, kIgnoredScriptKeys[i]);
        if (value != NULL)
            note_ignored(&script->ignored, kIgnoredScriptKeys[i], value);
    }

    /* Every printer needs a section of its own, so a count beyond the number of sections is cut there. */
    int count = number(ini_value(ini_section(ini, "PRINTER"), "COUNT"));
    if (count < 0)
        count = 0;
    if ((size_t)count > ini->count)
        count = (int)ini->count;
    script->printers = (ScriptPrinter*)inst_alloc((size_t)count * sizeof *script->printers);
    memset(script->printers, 0, (size_t)count * sizeof *script->printers);
    script->count = (size_t)count;
    for (int n = 1; n <= count; ++n)
        read_printer(&script->printers[n - 1], ini, n, now);
    return SCRIPT_OK;
}

static void free_option(OptionSection* option)
{
    for (size_t i = 0; i < option->count; ++i) {
        free(option->values[i].name);
        free(option->values[i].text);
        reg_text_free(&option->values[i].value);
    }
    free(option->values);
    free(option->section);
}

void script_free(Script* script)
{
    for (size_t i = 0; i < script->count; ++i) {
        ScriptPrinter* printer = &script->printers[i];
        free(printer->address);
        free(printer->modelName);
        free(printer->printerName);
        free(printer->location);
        free(printer->comment);
        free(printer->queueName);
        for (int kind = 0; kind < OPTION_KINDS; ++kind)
            free_option(&printer->options[kind]);
        inst_list_free(&printer->ignored);
    }
    free(script->printers);
    free(script->logFile);
    free(script->testPageTitle);
    inst_list_free(&script->ignored);
    memset(script, 0, sizeof *script);
}
