#pragma once

#include <string>

// `location` as libVLC gives it to an input (the URL without "rtsp://"), with
// any user-info ("user:password@") taken off, for the log. A camera password
// may hold "/" or "@" unencoded, so the user-info runs up to the last "@",
// wherever that is: a location that has an "@" in its path loses more than
// it must, but a password never survives.
std::string withoutCredentials(const std::string &location);
