#pragma once

#include "convert/convertoptions.h"

// kastra-convert INPUT OUTPUT [options], or INPUT --list: the whole command,
// with its console lines. Returns the exit status: 0 converted (or listed), 1
// failed or cancelled (one line on the error stream says what and where; no
// output is created and an existing OUTPUT stays as it was), 2 a wrong
// command line.
int runConverter(int argc, char** argv);

// The usage text, with the formats of the format table.
std::string convertUsage();

// The conversion (or listing) the options ask for; the progress bar only
// when `progressBar`. Returns the exit status as runConverter does.
int convert(const ConvertOptions& options, bool progressBar);
