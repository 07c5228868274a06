/* File, folder and process services of the stub; one implementation per platform. */
#ifndef PELLORA_STUB_PLATFORM_H
#define PELLORA_STUB_PLATFORM_H

#include <stddef.h>
#include <stdint.h>

/* Settles process-wide settings before anything else runs and notes the stub's own arguments, which the
   installer receives after the command string. 1 when one of them is "/quiet" (no window at all). */
int stub_platform_start(int argc, char** argv);
/* Tells the user why the package cannot be installed: a message box on Windows, standard error elsewhere. */
void stub_report(const char* text);
/* STUB_EXIT_DISK_FULL when the file or folder call that has just failed ran out of space, else
   STUB_EXIT_CANNOT_EXTRACT. */
int stub_extract_failure(void);

/* The stub's own file, opened for reading. */
typedef struct StubInput StubInput;

/* NULL when the own file cannot be opened. */
StubInput* stub_input_open_self(void);
uint64_t stub_input_size(const StubInput* input);
/* Reads exactly length bytes at offset; 0 on success, -1 on an I/O error or a range past the end. */
int stub_input_read(StubInput* input, uint64_t offset, void* buffer, size_t length);
void stub_input_close(StubInput* input);

/* The extraction folder. Relative paths handed to it are checked archive names: UTF-8, components
   separated by "/", no empty, "." or ".." component, no absolute path. */
typedef struct StubFolder StubFolder;
typedef struct StubOutput StubOutput;

/* A fresh temporary folder, or the folder named by PELLORA_STUB_KEEP (created when missing, kept
   afterwards). NULL when it cannot be made. */
StubFolder* stub_folder_create(void);
/* Creates the folder relative (and its parents) inside the extraction folder; 0 on success. */
int stub_folder_make_dirs(StubFolder* folder, const char* relative);
/* Creates (or truncates) the file relative, making its parent folders; NULL on failure. */
StubOutput* stub_output_create(StubFolder* folder, const char* relative);
/* 0 when every byte was written. */
int stub_output_write(StubOutput* output, const void* data, size_t length);
/* Closes the file; with keep == 0 the file is deleted. 0 when the file was closed cleanly. */
int stub_output_close(StubOutput* output, int keep);
/* Runs the program relative (a file directly in the folder) with command and the stub's own arguments as
   its arguments and the folder as its working folder, waits for it and for every process it started
   (Windows: a job object; Linux: the stub is their subreaper), and stores the first process's exit code.
   STUB_OK or STUB_EXIT_CANNOT_RUN. */
int stub_folder_run(StubFolder* folder, const char* relative, const char* command, int* exitCode);
/* Removes the folder with everything in it (unless it is the kept folder) and frees it. */
void stub_folder_finish(StubFolder* folder);

#endif
