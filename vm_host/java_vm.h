// The VM host: options file reader, option parser, system property list and the
// start-up sequence that hands control to the browser-side Java code.
#pragma once

#include <cstddef>

#include "jdk11_invocation.h"

// System property list behind the record's `properties`.
extern char **m_pProps;
extern int m_iNumProps;
extern int m_iMaxProps;

// Every allocation and release of the reader, parser and property list goes
// through these, so that tests can make allocation fail or track storage.
extern void *(*m_pfnAllocate)(size_t size);
extern void (*m_pfnRelease)(void *block);

// The options line of $HOME/.java/properties, or null.
char *find_options();

// Applies the options line to the record; 0 when the whole line was accepted,
// -1 when parsing stopped early.
int parseOptions(char *line, JDK1_1InitArgs *record);

// Byte count of "123", "64k", "16M"; -1 when not a valid count.
int atoml(const char *text);

// Appends one entry; 0, or -1 when the list could not grow.
int addProperty(char *entry);

// Removes every entry whose key ("k" of "k=v", or the whole entry) equals name.
void deleteProperty(const char *name);

// The whole life of the process; never returns.
[[noreturn]] void javaVmMain(int argc, char **argv);
