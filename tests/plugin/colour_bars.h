#pragma once

#include <QImage>
#include <QString>

// Checks a picture of videotestsrc's "smpte" pattern: the seven full bars
// (white, yellow, cyan, green, magenta, red, blue) across the upper part.
// Returns an empty string when they are all there, else what is wrong.
QString colourBarMismatch(const QImage &picture);
