// Saves one key of a settings file and exits 0 when the save succeeded: the root test runs it with
// reduced privileges in a namespace of its own.
#include "app/utils.h"

int main(int argc, char** argv)
{
    if (argc != 5)
        return 2;
    return WriteIniString(argv[1], argv[2], argv[3], argv[4]) ? 0 : 1;
}
