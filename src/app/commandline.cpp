#include "app/commandline.h"

#include <string_view>

CommandLineRequest ReadCommandLine(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h")
            return CommandLineRequest::PrintHelp;
        if (argument == "--version")
            return CommandLineRequest::PrintVersion;
    }
    return CommandLineRequest::RunClock;
}

const char* ProgramVersion()
{
    return CHRONIVO_VERSION;
}

std::string CommandLineAnswer(CommandLineRequest request)
{
    switch (request) {
    case CommandLineRequest::PrintVersion:
        return std::string("chronivo ") + ProgramVersion() + '\n';
    case CommandLineRequest::PrintHelp:
        return "Usage: chronivo [--help] [--version] [Qt options]\n"
               "A world clock: the local time and date above a map with the cities you choose, each with\n"
               "its own time, and the night side of the Earth; it can set the computer's clock from a\n"
               "time server (RFC 868).\n"
               "\n"
               "  -h, --help   print this help and exit\n"
               "  --version    print the version and exit\n"
               "\n"
               "Settings: $XDG_CONFIG_HOME/chronivo/chronivo.ini (by default ~/.config/chronivo/), or beside\n"
               "the program when chronivo.ini or chronivo.portable is already there. A second start shows\n"
               "the running clock. See chronivo(1) and the HTML help for the settings file.\n";
    case CommandLineRequest::RunClock:
        break;
    }
    return {};
}
