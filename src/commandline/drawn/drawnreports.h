#pragma once

struct CommandLine;

// A command line that writes a PDF, prints or compares: the reports that draw, run without a window. It lives
// in the window module with everything else that draws, which a run that only lists and saves never loads.
[[nodiscard]] int runDrawnBatch(int argc, char* argv[], const CommandLine& commandLine);
