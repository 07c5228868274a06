/* What a printer driver's INF file says about one model. */
#include "DriverInf.h"

#include <stdlib.h>
#include <string.h>

int driver_inf_is_printer(const InfText* inf)
{
    const char* type = inf_field(inf_section(inf, "Version"), "Class", 0);
    return type == NULL || inst_equals_nocase(type, "Printer");
}

/* The decoration of a models list that an x64 system uses: "NTamd64" with any version suffix. */
static int is_x64_decoration(const char* decoration)
{
    return inst_starts_nocase(decoration, "NTamd64") &&
           (decoration[7] == '\0' || decoration[7] == '.');
}

/* The models section that x64 reads for one line of [Manufacturer]: the list name decorated with its
   first x64 decoration, or the plain list name when the line has no x64 decoration but others. */
static char* models_section(const InfLine* manufacturer)
{
    const char* list = manufacturer->count > 0 ? manufacturer->fields[0] : NULL;
    if (list == NULL || list[0] == '\0')
        return NULL;
    for (size_t i = 1; i < manufacturer->count; ++i) {
        if (is_x64_decoration(manufacturer->fields[i])) {
            InstBuf name = {0};
            inst_buf_printf(&name, "%s.%s", list, manufacturer->fields[i]);
            return inst_buf_take(&name);
        }
    }
    return inst_strdup(list);
}

static const InfLine* find_model(const InfText* inf, const char* candidate)
{
    const InfSection* manufacturers = inf_section(inf, "Manufacturer");
    for (size_t m = 0; manufacturers != NULL && m < manufacturers->count; ++m) {
        char* name = models_section(&manufacturers->lines[m]);
        const InfSection* models = name != NULL ? inf_section(inf, name) : NULL;
        free(name);
        for (size_t i = 0; models != NULL && i < models->count; ++i) {
            const InfLine* line = &models->lines[i];
            if (line->key != NULL && line->count > 0 && inst_equals_nocase(line->key, candidate))
                return line;
        }
    }
    return NULL;
}

/* The install section as x64 reads it: "name.NTamd64", then "name.NT", then "name". */
static const InfSection* install_section(const InfText* inf, const char* name, char** chosen)
{
    static const char* const suffixes[] = {".NTamd64", ".NT", ""};
    for (size_t i = 0; i < sizeof suffixes / sizeof suffixes[0]; ++i) {
        InstBuf full = {0};
        inst_buf_printf(&full, "%s%s", name, suffixes[i]);
        char* text = inst_buf_take(&full);
        const InfSection* section = inf_section(inf, text);
        if (section != NULL) {
            *chosen = text;
            return section;
        }
        free(text);
    }
    *chosen = inst_strdup(name);
    return NULL;
}

static int named(const DriverInf* driver, const char* file)
{
    const char* const known[] = {driver->driverFile, driver->dataFile, driver->configFile, driver->helpFile};
    for (size_t i = 0; i < sizeof known / sizeof known[0]; ++i) {
        if (known[i] != NULL && inst_equals_nocase(known[i], file))
            return 1;
    }
    for (size_t i = 0; i < driver->dependentFiles.count; ++i) {
        if (inst_equals_nocase(driver->dependentFiles.items[i], file))
            return 1;
    }
    return 0;
}

static void add_dependent(DriverInf* driver, const char* file)
{
    if (file[0] != '\0' && !named(driver, file))
        inst_list_add(&driver->dependentFiles, inst_strdup(file));
}

/* Files of one CopyFiles entry: "@file" names a file, anything else a section listing files (first
   field of each line: the target name). */
static void add_copy_files(const InfText* inf, DriverInf* driver, const char* entry)
{
    if (entry[0] == '@') {
        add_dependent(driver, entry + 1);
        return;
    }
    const InfSection* list = inf_section(inf, entry);
    for (size_t i = 0; list != NULL && i < list->count; ++i) {
        const InfLine* line = &list->lines[i];
        if (line->key == NULL && line->count > 0)
            add_dependent(driver, line->fields[0]);
    }
}

static char* first_field(const InfSection* section, const char* key)
{
    const char* value = inf_field(section, key, 0);
    return value != NULL && value[0] != '\0' ? inst_strdup(value) : NULL;
}

static void read_driver_keys(const InfSection* section, DriverInf* driver)
{
    if (driver->driverFile == NULL)
        driver->driverFile = first_field(section, "DriverFile");
    if (driver->dataFile == NULL)
        driver->dataFile = first_field(section, "DataFile");
    if (driver->configFile == NULL)
        driver->configFile = first_field(section, "ConfigFile");
    if (driver->helpFile == NULL)
        driver->helpFile = first_field(section, "HelpFile");
    if (driver->defaultDataType == NULL)
        driver->defaultDataType = first_field(section, "DefaultDataType");
}

int driver_inf_find(const InfText* inf, const char* const* candidates, size_t count, DriverInf* out)
{
    memset(out, 0, sizeof *out);
    const InfLine* model = NULL;
    for (size_t i = 0; model == NULL && i < count; ++i)
        model = candidates[i] != NULL && candidates[i][0] != '\0' ? find_model(inf, candidates[i]) : NULL;
    if (model == NULL)
        return 0;
    out->modelName = inst_strdup(model->key);
    out->hardwareId = inst_strdup(model->count > 1 ? model->fields[1] : "");
    const InfSection* section = install_section(inf, model->fields[0], &out->installSection);
    read_driver_keys(section, out);
    /* A data section holds the same keys for several models; the install section's own keys win. */
    const char* dataSection = inf_field(section, "DataSection", 0);
    if (dataSection != NULL)
        read_driver_keys(inf_section(inf, dataSection), out);
    if (out->dataFile == NULL && model->fields[0][0] != '\0' && strchr(model->fields[0], '.') != NULL)
        out->dataFile = inst_strdup(model->fields[0]); /* printer INFs may name the data file as the section */
    for (size_t i = 0; section != NULL && i < section->count; ++i) {
        const InfLine* line = &section->lines[i];
        const int copies = line->key != NULL && inst_equals_nocase(line->key, "CopyFiles");
        const int needs = line->key != NULL &&
                          (inst_equals_nocase(line->key, "Include") || inst_equals_nocase(line->key, "Needs"));
        for (size_t f = 0; f < line->count && (copies || needs); ++f) {
            if (line->fields[f][0] == '\0')
                continue;
            if (copies)
                add_copy_files(inf, out, line->fields[f]);
            else
                inst_list_add(&out->needs, inst_strdup(line->fields[f]));
        }
    }
    return 1;
}

void driver_inf_free(DriverInf* driver)
{
    free(driver->modelName);
    free(driver->installSection);
    free(driver->hardwareId);
    free(driver->driverFile);
    free(driver->dataFile);
    free(driver->configFile);
    free(driver->helpFile);
    free(driver->defaultDataType);
    inst_list_free(&driver->dependentFiles);
    inst_list_free(&driver->needs);
    memset(driver, 0, sizeof *driver);
}
