/* A printer's driver install information file as the installer acts on it. */
#include "DriverInfo.h"

#include "InstString.h"

#include <stdlib.h>
#include <string.h>

#define LOCAL_MACHINE_ROOT "0x80000002"

static void problem(DriverInfo* info, const char* what, const char* detail)
{
    InstBuf buf = {0};
    inst_buf_printf(&buf, "%s: %s", what, detail != NULL ? detail : "");
    inst_list_add(&info->problems, inst_buf_take(&buf));
}

/* The copy section named by [setup] application=NAME: NAME=,flags,"target folder" in [setup], and the
   files in [NAME.winnt] as "driver=,,1:file". */
static void read_settings_copy(DriverInfo* info, const InfText* inf)
{
    const InfSection* setup = inf_section(inf, "setup");
    const char* application = inf_field(setup, "application", 0);
    if (application == NULL || application[0] == '\0')
        return;
    InstBuf name = {0};
    inst_buf_printf(&name, "%s.winnt", application);
    char* sectionName = inst_buf_take(&name);
    const InfSection* files = inf_section(inf, sectionName);
    free(sectionName);
    for (size_t i = 0; files != NULL && i < files->count; ++i) {
        const InfLine* line = &files->lines[i];
        const char* source = line->count > 2 ? strchr(line->fields[2], ':') : NULL;
        if (source == NULL || source[1] == '\0')
            continue;
        const char* folder = inf_field(setup, application, 2);
        if (folder == NULL || folder[0] == '\0') {
            problem(info, "no target folder for the settings file", source + 1);
            continue;
        }
        inst_set(&info->settingsFile, source + 1);
        inst_set(&info->settingsFolder, folder);
        return;
    }
}

static int parse_dword(const char* text, RegTextValue* value)
{
    char* end = NULL;
    const unsigned long number = strtoul(text, &end, 0);
    if (text[0] == '\0' || end == NULL || *end != '\0')
        return 0;
    InstBuf buf = {0};
    inst_buf_printf(&buf, "dword:%08lX", number & 0xFFFFFFFFul);
    char* notation = inst_buf_take(&buf);
    const int ok = reg_text_parse(notation, 0.0, value);
    free(notation);
    return ok;
}

/* driver="0x80000002",type,"key","name",data — type 1 a string, 4 a number. */
static void read_value(DriverInfo* info, const InfLine* line)
{
    if (line->count < 5) {
        problem(info, "registry line with fewer than five fields", line->key);
        return;
    }
    if (strcmp(line->fields[0], LOCAL_MACHINE_ROOT) != 0) {
        problem(info, "registry root other than HKEY_LOCAL_MACHINE", line->fields[0]);
        return;
    }
    RegTextValue value;
    memset(&value, 0, sizeof value);
    int ok = 0;
    if (strcmp(line->fields[1], "1") == 0) {
        InstBuf quoted = {0};
        inst_buf_printf(&quoted, "\"%s\"", line->fields[4]);
        char* text = inst_buf_take(&quoted);
        ok = reg_text_parse(text, 0.0, &value);
        free(text);
    } else if (strcmp(line->fields[1], "4") == 0) {
        ok = parse_dword(line->fields[4], &value);
    }
    if (!ok) {
        problem(info, "registry value of unknown type or data", line->fields[3]);
        return;
    }
    info->values = (DriverInfoValue*)inst_realloc(info->values, (info->count + 1) * sizeof *info->values);
    DriverInfoValue* added = &info->values[info->count++];
    added->key = inst_strdup(line->fields[2]);
    added->name = inst_strdup(line->fields[3]);
    added->value = value;
}

void driver_info_read(DriverInfo* info, const InfText* inf)
{
    memset(info, 0, sizeof *info);
    const char* driver = inf_field(inf_section(inf, "Strings"), "DRVNAME", 0);
    info->driverName = driver != NULL && driver[0] != '\0' ? inst_strdup(driver) : NULL;
    read_settings_copy(info, inf);
    const InfSection* registry = inf_section(inf, "addregistry.winnt");
    for (size_t i = 0; registry != NULL && i < registry->count; ++i)
        read_value(info, &registry->lines[i]);
}

void driver_info_free(DriverInfo* info)
{
    for (size_t i = 0; i < info->count; ++i) {
        free(info->values[i].key);
        free(info->values[i].name);
        reg_text_free(&info->values[i].value);
    }
    free(info->values);
    free(info->driverName);
    free(info->settingsFile);
    free(info->settingsFolder);
    inst_list_free(&info->problems);
    memset(info, 0, sizeof *info);
}
