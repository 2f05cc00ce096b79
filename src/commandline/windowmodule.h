#pragma once

struct CommandLine;

// The part of the program that draws: the window, and the command line's PDF, printing and comparison. It is a
// module of its own, loaded only when needed, so that a listing walked and saved from a scheduled job starts
// with Qt Core alone (the libraries the window needs cost more start-up time than the walk of a large tree).
namespace WindowModule {
using Entry = int (*)(int argc, char* argv[], const CommandLine* commandLine);
inline constexpr char entryName[] = "vellumarkRunDrawing";
}
