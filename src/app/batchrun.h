#pragma once

struct CommandLine;

// The work of a command line that opens no window: one walk of the folder (or one read of the listing file)
// serves every output asked for. Returns the exit status: 0 done, 1 failed, 3 done with warnings. Needs a
// QGuiApplication when the report is drawn, a QCoreApplication otherwise.
[[nodiscard]] int runBatch(const CommandLine& commandLine);

enum ExitStatus { ExitDone = 0, ExitFailed = 1, ExitUsage = 2, ExitWarnings = 3 };
