#ifndef HALVORINE_COMMANDLINE_H
#define HALVORINE_COMMANDLINE_H

#include "settings/previewlatency.h"

#include <optional>

// The program's own command line, read before the application object exists, so
// that --help and --version answer without a display. Qt's own options
// (-platform, -display, -style, ...) are left for the application object.
struct CommandLine
{
    bool run = true;   // false: answered or refused, exit with exitCode
    int exitCode = 0;
    std::optional<PreviewLatency> previewLatency; // --preview-latency, when given
};

// Prints the help, the version or what is wrong with the command line.
CommandLine readCommandLine(int argc, char **argv);

#endif
