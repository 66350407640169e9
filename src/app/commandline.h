// The program's command line before any window exists: "--help" and "--version" are answered on
// standard output without a display or a settings file; anything else is left to the toolkit and the
// clock starts. The version comes from the build (the project's version), so the About page, the
// AppStream metadata and "--version" always agree.
#pragma once

#include <string>

enum class CommandLineRequest { RunClock, PrintHelp, PrintVersion };

// What the arguments ask for (argv[0] is the program); the first of "--help"/"-h" or "--version" wins.
CommandLineRequest ReadCommandLine(int argc, const char* const* argv);

// The project's version, for example "1.3".
const char* ProgramVersion();

// The text printed for the request (ends in a newline); empty for RunClock.
std::string CommandLineAnswer(CommandLineRequest request);
