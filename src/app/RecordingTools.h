#pragma once
// The program's tools that need no window: reading a recording on the command line.
#include <QString>

// --decode: every call found in a recording, or in raw samples on standard input ("-") at `rate`,
// one line each in words, written the moment the call has ended. Returns the exit status: 0 when a
// call was found, 1 when none was, 2 when the input cannot be read.
int decodeRecording(const QString& path, int rate);
// --transcribe: the words heard in a recording of one transmission, how they were judged, and what
// was spelled in it; with `verbose` each word with its confidence. Returns 0, 1 when nothing was
// heard, 2 when it cannot be read or recognised.
int transcribeRecording(const QString& path, bool verbose);
