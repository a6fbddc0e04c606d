#pragma once

#include <string>

// Writes one event line to stdout and flushes it at once: tests wait for these
// lines (see --help) instead of sleeping.
void printEvent(const std::string &line);
