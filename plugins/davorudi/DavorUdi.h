/* The driver package check: does a Windows driver folder hold an INF file that installs a printer model? */
#ifndef PELLORA_DAVORUDI_H
#define PELLORA_DAVORUDI_H

#ifdef __cplusplus
extern "C" {
#endif

/* Results of DavorUdi. */
enum DavorUdiResult {
    DAVORUDI_OK = 0,                  /* an INF file in the folder names the model */
    DAVORUDI_INTERNAL_ERROR = 1,      /* the check itself failed (for example out of memory) */
    DAVORUDI_FOLDER_UNREADABLE = 2,   /* the folder is not given, missing, not a folder or cannot be listed */
    DAVORUDI_NO_INF_FILE = 3,         /* the folder itself holds no file ending in ".inf" (any letter case) */
    DAVORUDI_MODEL_NOT_LISTED = 4,    /* no INF file in the folder names the model */
    DAVORUDI_SETTINGS_MISSING = 5,    /* a settings-file path is given but no such file exists */
    DAVORUDI_SETTINGS_UNREADABLE = 6  /* the settings file is empty, not a file or cannot be read */
};

/* Exported name of the entry point. */
#define DAVORUDI_ENTRY_POINT "DavorUdi"

/* The entry point's type, for loaders. */
typedef int (*DavorUdiFunction)(const char* model, const char* folder, const char* bsfPath);

/* Checks the driver folder for the model, then the driver extension settings file.
 *
 * model:   the printer model's display name, UTF-8, with or without the maker prefix "VARDO ".
 * folder:  the driver folder. Only the INF files directly in it are read (UTF-16 with byte-order mark,
 *          UTF-8 or ANSI). A file names the model when a models section that its [Manufacturer]
 *          section lists (the section itself and each of its decorated forms "name.decoration") has a
 *          line whose left side, with %keys% taken from [Strings] and quotes removed, equals the model
 *          ignoring letter case and a "VARDO " prefix on either side.
 * bsfPath: the settings file; NULL or "" when the printer has none.
 *
 * The folder is checked first; its failure is returned before the settings file is looked at.
 * NULL pointers count as empty texts. Returns a DavorUdiResult. */
int DavorUdi(const char* model, const char* folder, const char* bsfPath);

#ifdef __cplusplus
}
#endif

#endif
