#include "event_lines.h"

#include <cstdio>

void printEvent(const std::string &line)
{
    std::fprintf(stdout, "%s\n", line.c_str());
    std::fflush(stdout);
}
