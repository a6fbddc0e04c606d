#ifndef HALVORINE_PREVIEWLATENCY_H
#define HALVORINE_PREVIEWLATENCY_H

#include <QString>

#include <optional>

// How the preview trades delay for safety. Default: libVLC's fixed 300 ms network
// cache, safe on a bad network and a third of a second behind the camera. Low: a
// small fixed cache and a delay of the RTSP input's own that follows the network's
// jitter, for framing a shot while the camera moves.
enum class PreviewLatency { Default, Low };

namespace PreviewLatencyChoice {

// What the preview plays with from its next start on: Default until set.
PreviewLatency current();
void setCurrent(PreviewLatency latency);

// The names on the command line and in the preference file: "default", "low".
QString nameOf(PreviewLatency latency);
std::optional<PreviewLatency> fromName(const QString &name);

// The operator's lasting choice, in a file of its own (settings.ini holds saved
// cameras only). A missing or unreadable file, or an unknown name in it, is Default.
QString preferenceFile(); // preview.ini in the writable configuration directory
PreviewLatency load(const QString &file);
bool save(const QString &file, PreviewLatency latency);

// At start-up: a choice made on the command line is kept for the next starts;
// without one, the kept choice applies. Needs the application object (its name
// places the file).
void applyAtStart(std::optional<PreviewLatency> chosenOnCommandLine);

} // namespace PreviewLatencyChoice

#endif
