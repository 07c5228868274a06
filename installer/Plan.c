/* What the installer does for each printer of a package. */
#include "Plan.h"

#include "InstFs.h"
#include "InstText.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define TEXT_FILE_LIMIT (8u * 1024u * 1024u)
#define MAKER_PREFIX "VARDO "
#define DEFAULT_RAW_PORT 9100
#define COMMON_DATA_TITLE "[all users' application data]"

/* Keeps the first reason only: it is the one the printer fails with. */
static void set_problem(PlanPrinter* printer, const char* text)
{
    if (printer->problem == NULL)
        printer->problem = inst_strdup(text);
}

static void set_problem_about(PlanPrinter* printer, const char* format, const char* detail)
{
    InstBuf buf = {0};
    inst_buf_printf(&buf, format, detail);
    char* text = inst_buf_take(&buf);
    set_problem(printer, text);
    free(text);
}

char* plan_driver_folder(int number)
{
    char name[32];
    snprintf(name, sizeof name, "DRIVER_%03d", number - 1);
    return inst_strdup(name);
}

static int digits_only(const char* text)
{
    if (*text == '\0')
        return 0;
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9')
            return 0;
    }
    return 1;
}

char* plan_local_port(const char* address)
{
    const size_t length = strlen(address);
    char* name = inst_strndup(address, length > 0 && address[length - 1] == ':' ? length - 1 : length);
    for (char* p = name; *p != '\0'; ++p) {
        if (*p >= 'a' && *p <= 'z')
            *p = (char)(*p - 'a' + 'A');
    }
    const int device = ((inst_starts_nocase(name, "COM") || inst_starts_nocase(name, "LPT")) && strlen(name) <= 6 &&
                        digits_only(name + 3)) ||
                       strcmp(name, "FILE") == 0 || strcmp(name, "NUL") == 0 || strcmp(name, "PORTPROMPT") == 0;
    if (device) {
        InstBuf buf = {0};
        inst_buf_printf(&buf, "%s:", name);
        free(name);
        return inst_buf_take(&buf);
    }
    free(name);
    const char letter = address[0];
    if (((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')) && address[1] == ':' &&
        address[2] == '\\')
        return inst_strdup(address);
    return NULL;
}

static int host_character(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == ':';
}

static int valid_host(const char* host)
{
    const size_t length = strlen(host);
    if (length == 0 || length > 255)
        return 0;
    for (size_t i = 0; i < length; ++i) {
        if (!host_character(host[i]))
            return 0;
    }
    return 1;
}

/* Characters a port name may hold; others become "_". */
static void append_port_text(InstBuf* buf, const char* text)
{
    for (; *text != '\0'; ++text) {
        const char c = *text;
        const int plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '.' || c == '_';
        inst_buf_append(buf, plain ? text : "_", 1);
    }
}

static int is_placeholder(const char* address)
{
    return address[0] == '\0' || strcmp(address, "11.22.33.44") == 0 || strcmp(address, "192.168.192.168") == 0;
}

static void plan_port(PlanPrinter* printer)
{
    const ScriptPrinter* record = printer->record;
    char* local = plan_local_port(record->address);
    if (local != NULL) {
        printer->port = PORT_LOCAL;
        printer->portName = local;
        return;
    }
    if (is_placeholder(record->address)) {
        set_problem(printer, "the printer has no address");
        return;
    }
    if (!valid_host(record->address)) {
        set_problem_about(printer, "the address \"%s\" is no host name or IPv4 address", record->address);
        return;
    }
    printer->port = PORT_TCP;
    printer->host = inst_strdup(record->address);
    printer->protocol = record->protocol;
    InstBuf name = {0};
    inst_buf_puts(&name, "IP_");
    append_port_text(&name, record->address);
    if (record->protocol == PROTOCOL_LPR) {
        if (record->queueName == NULL || record->queueName[0] == '\0') {
            set_problem(printer, "LPR printing needs a queue name");
        } else {
            printer->queue = inst_strdup(record->queueName);
            inst_buf_puts(&name, "_LPR_");
            append_port_text(&name, record->queueName);
        }
    } else {
        printer->portNumber = record->rawPort;
        if (record->rawPort != DEFAULT_RAW_PORT)
            inst_buf_printf(&name, "_%d", record->rawPort);
    }
    printer->portName = inst_buf_take(&name);
}

static int is_inf_name(const char* path)
{
    const size_t length = strlen(path);
    return length >= 4 && inst_equals_nocase(path + length - 4, ".inf");
}

static int read_text(const char* path, char** text, size_t* length)
{
    uint8_t* bytes = NULL;
    size_t size = 0;
    if (inst_fs_read(path, TEXT_FILE_LIMIT, &bytes, &size) != 0)
        return 0;
    *text = inst_decode_text(bytes, size, length);
    free(bytes);
    return 1;
}

/* The first INF below the printer's driver folder (in path order) that names one of the candidates. */
static void find_driver(PlanPrinter* printer, const char* packageFolder, const char* const* candidates, size_t count)
{
    char* folderName = plan_driver_folder(printer->record->number);
    char* folder = inst_fs_join(packageFolder, folderName);
    InstList files = {0};
    inst_fs_list_files(folder, &files);
    for (size_t i = 0; i < files.count && printer->infPath == NULL; ++i) {
        char* path = inst_fs_join(folder, files.items[i]);
        char* text = NULL;
        size_t length = 0;
        if (is_inf_name(files.items[i]) && read_text(path, &text, &length)) {
            InfText inf;
            inf_parse(&inf, text, length);
            if (driver_inf_is_printer(&inf) && driver_inf_find(&inf, candidates, count, &printer->inf))
                printer->infPath = inst_fs_join(folderName, files.items[i]);
            inf_free(&inf);
            free(text);
        }
        free(path);
    }
    inst_list_free(&files);
    free(folder);
    free(folderName);
}

static void plan_driver(PlanPrinter* printer, const char* packageFolder)
{
    const ScriptPrinter* record = printer->record;
    if (record->modelName[0] == '\0') {
        set_problem(printer, "the printer has no model name");
        return;
    }
    InstBuf prefixed = {0};
    inst_buf_printf(&prefixed, "%s%s", MAKER_PREFIX, record->modelName);
    char* withMaker = inst_buf_take(&prefixed);
    const char* const candidates[] = {printer->info.driverName, withMaker, record->modelName};
    find_driver(printer, packageFolder, candidates, sizeof candidates / sizeof candidates[0]);
    if (printer->infPath != NULL) {
        printer->driverSource = DRIVER_FROM_INF;
        printer->driverName = inst_strdup(printer->inf.modelName);
    } else if (record->useInbox) {
        printer->driverSource = DRIVER_FROM_STORE;
        printer->driverName = inst_strdup(printer->info.driverName != NULL ? printer->info.driverName : withMaker);
    } else {
        char* folder = plan_driver_folder(record->number);
        InstBuf why = {0};
        inst_buf_printf(&why, "no INF file in %s names the model \"%s\"", folder, withMaker);
        char* text = inst_buf_take(&why);
        set_problem(printer, text);
        free(text);
        free(folder);
    }
    free(withMaker);
}

static void plan_info(PlanPrinter* printer, const char* packageFolder)
{
    char name[48];
    snprintf(name, sizeof name, "SETTING\\QIF1_%03d.QIF", printer->record->number - 1);
    char* path = inst_fs_join(packageFolder, name);
    char* text = NULL;
    size_t length = 0;
    if (read_text(path, &text, &length)) {
        InfText inf;
        inf_parse(&inf, text, length);
        driver_info_read(&printer->info, &inf);
        inf_free(&inf);
        free(text);
        printer->infoPath = inst_strdup(name);
    }
    free(path);
}

static int is_connection(const char* address)
{
    return (address[0] == '\\' && address[1] == '\\') || inst_starts_nocase(address, "http://") ||
           inst_starts_nocase(address, "https://");
}

static void plan_printer(PlanPrinter* printer, const ScriptPrinter* record, const char* packageFolder)
{
    memset(printer, 0, sizeof *printer);
    printer->record = record;
    if (is_connection(record->address)) {
        printer->target = TARGET_CONNECTION;
        return;
    }
    printer->target = record->connection == 1 ? TARGET_DEVICE : TARGET_PORT;
    if (printer->target == TARGET_PORT) {
        if (record->printerName[0] == '\0')
            set_problem(printer, "the printer has no name");
        plan_port(printer);
    }
    plan_info(printer, packageFolder);
    plan_driver(printer, packageFolder);
}

void plan_build(Plan* plan, const Script* script, const char* packageFolder, const char* templateName)
{
    memset(plan, 0, sizeof *plan);
    plan->script = script;
    plan->templateName = inst_strdup(templateName);
    plan->count = script->count;
    plan->printers = (PlanPrinter*)inst_alloc(script->count * sizeof *plan->printers);
    for (size_t i = 0; i < script->count; ++i)
        plan_printer(&plan->printers[i], &script->printers[i], packageFolder);
}

void plan_free(Plan* plan)
{
    for (size_t i = 0; i < plan->count; ++i) {
        PlanPrinter* printer = &plan->printers[i];
        free(printer->portName);
        free(printer->host);
        free(printer->queue);
        free(printer->driverName);
        free(printer->infPath);
        driver_inf_free(&printer->inf);
        free(printer->infoPath);
        driver_info_free(&printer->info);
        free(printer->problem);
    }
    free(plan->printers);
    free(plan->templateName);
    memset(plan, 0, sizeof *plan);
}

/* A path of the driver install information file as shown: the common data marker named in words. */
static void append_folder(InstBuf* out, const char* folder)
{
    if (inst_starts_nocase(folder, DRIVER_INFO_COMMON_DATA)) {
        inst_buf_puts(out, COMMON_DATA_TITLE);
        inst_buf_puts(out, folder + strlen(DRIVER_INFO_COMMON_DATA));
    } else {
        inst_buf_puts(out, folder);
    }
}

static void describe_port(const PlanPrinter* printer, InstBuf* out)
{
    if (printer->port == PORT_LOCAL) {
        inst_buf_printf(out, "  port: local port \"%s\" (an existing port is used as it is)\n", printer->portName);
    } else if (printer->port == PORT_TCP && printer->protocol == PROTOCOL_LPR) {
        inst_buf_printf(out, "  port: Standard TCP/IP port \"%s\": LPR to %s, queue \"%s\" (an equal existing port is reused)\n",
                        printer->portName, printer->host, printer->queue != NULL ? printer->queue : "");
    } else if (printer->port == PORT_TCP) {
        inst_buf_printf(out, "  port: Standard TCP/IP port \"%s\": RAW to %s port %d (an equal existing port is reused)\n",
                        printer->portName, printer->host, printer->portNumber);
    }
}

static void describe_driver(const PlanPrinter* printer, const Script* script, InstBuf* out)
{
    if (printer->driverSource == DRIVER_FROM_INF)
        inst_buf_printf(out, "  driver: \"%s\" from %s, section %s\n", printer->driverName, printer->infPath,
                        printer->inf.installSection);
    else if (printer->driverSource == DRIVER_FROM_STORE)
        inst_buf_printf(out, "  driver: \"%s\" from the system's driver store\n", printer->driverName);
    if (printer->driverSource != DRIVER_NONE && script->confirmDriverCopy)
        inst_buf_puts(out, "  driver copy: asked for first (not with /quiet)\n");
}

static void describe_info(const PlanPrinter* printer, InstBuf* out)
{
    const DriverInfo* info = &printer->info;
    if (printer->infoPath == NULL) {
        inst_buf_puts(out, "  driver install information: none in the package\n");
        return;
    }
    if (info->settingsFile != NULL) {
        inst_buf_printf(out, "  settings file: SETTING\\%s to ", info->settingsFile);
        append_folder(out, info->settingsFolder);
        inst_buf_puts(out, "\n");
    }
    for (size_t i = 0; i < info->count; ++i) {
        char* value = reg_text_describe(&info->values[i].value);
        const int isString = info->values[i].value.type == REG_TEXT_STRING;
        inst_buf_printf(out, "  registry: HKEY_LOCAL_MACHINE\\%s \"%s\" = ", info->values[i].key, info->values[i].name);
        if (isString) {
            inst_buf_puts(out, "string \"");
            append_folder(out, (const char*)info->values[i].value.data);
            inst_buf_puts(out, "\"\n");
        } else {
            inst_buf_printf(out, "%s\n", value);
        }
        free(value);
    }
    for (size_t i = 0; i < info->problems.count; ++i)
        inst_buf_printf(out, "  driver install information, not acted on: %s\n", info->problems.items[i]);
}

static void describe_options(const ScriptPrinter* record, InstBuf* out)
{
    for (int kind = 0; kind < OPTION_KINDS; ++kind) {
        const OptionSection* option = &record->options[kind];
        if (option->section != NULL && option->count == 0)
            inst_buf_printf(out, "  printer data %s: section %s is missing\n", script_option_title(kind),
                            option->section);
        for (size_t i = 0; i < option->count; ++i) {
            const OptionValue* value = &option->values[i];
            if (!value->parsed) {
                inst_buf_printf(out, "  printer data %s \"%s\": not a registry value text: %s\n",
                                script_option_title(kind), value->name, value->text);
                continue;
            }
            char* text = inst_equals_nocase(value->text, "%DATE%") ? inst_strdup("the installation time as OLE date")
                                                                   : reg_text_describe(&value->value);
            inst_buf_printf(out, "  printer data %s \"%s\" = %s (%s)\n", script_option_title(kind), value->name, text,
                            option->section);
            free(text);
        }
    }
}

static void describe_list(const char* title, const InstList* list, InstBuf* out)
{
    if (list->count == 0)
        return;
    inst_buf_puts(out, title);
    for (size_t i = 0; i < list->count; ++i)
        inst_buf_printf(out, "%s%s", i == 0 ? " " : ", ", list->items[i]);
    inst_buf_puts(out, "\n");
}

void plan_describe_printer(const PlanPrinter* printer, const Script* script, InstBuf* out)
{
    const ScriptPrinter* record = printer->record;
    inst_buf_printf(out, "Printer %d \"%s\" (model \"%s\", address \"%s\")\n", record->number, record->printerName,
                    record->modelName, record->address);
    if (printer->target == TARGET_CONNECTION) {
        inst_buf_printf(out, "  connection: %s (the server provides the driver)\n", record->address);
    } else {
        describe_port(printer, out);
        describe_driver(printer, script, out);
        const char* verb = record->updateMode ? "add or change" : "add";
        if (printer->target == TARGET_PORT)
            inst_buf_printf(out, "  printer: %s \"%s\" on \"%s\" with driver \"%s\"", verb, record->printerName,
                            printer->portName != NULL ? printer->portName : "",
                            printer->driverName != NULL ? printer->driverName : "");
        else if (record->printerName[0] != '\0' && record->updateMode)
            inst_buf_printf(out, "  printer: change \"%s\" if it exists, to driver \"%s\"", record->printerName,
                            printer->driverName != NULL ? printer->driverName : "");
        else
            inst_buf_puts(out, "  printer: made by the system when the device is connected");
        if (record->location[0] != '\0')
            inst_buf_printf(out, "; location \"%s\"", record->location);
        if (record->comment[0] != '\0')
            inst_buf_printf(out, "; comment \"%s\"", record->comment);
        inst_buf_puts(out, "\n");
        describe_info(printer, out);
        describe_options(record, out);
    }
    if (record->defaultPrinter)
        inst_buf_puts(out, "  default printer: yes\n");
    if (record->testPrint)
        inst_buf_printf(out, "  test page: \"%s\"\n", script->testPageTitle);
    describe_list("  carried, not acted on:", &record->ignored, out);
    if (printer->problem != NULL)
        inst_buf_printf(out, "  cannot be installed: %s\n", printer->problem);
}

char* plan_describe(const Plan* plan)
{
    const Script* script = plan->script;
    InstBuf out = {0};
    inst_buf_printf(&out, "Template \"%s\": %lu printer%s\n", plan->templateName, (unsigned long)plan->count,
                    plan->count == 1 ? "" : "s");
    inst_buf_printf(&out, "Test page title \"%s\"; reboot request %s; confirm driver copies %s; log file \"%s\"\n",
                    script->testPageTitle, script->reboot ? "yes" : "no", script->confirmDriverCopy ? "yes" : "no",
                    script->logFile);
    describe_list("Carried, not acted on:", &script->ignored, &out);
    for (size_t i = 0; i < plan->count; ++i)
        plan_describe_printer(&plan->printers[i], script, &out);
    return inst_buf_take(&out);
}
