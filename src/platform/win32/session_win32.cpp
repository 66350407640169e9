#include "platform/session.h"

// A Windows desktop is always there for a program the user started, and the session's end reaches the
// window as a close through the toolkit.
std::string DisplayProblem()
{
    return {};
}

int OpenEndRequests()
{
    return -1;
}

void TakeEndRequest(int /*handle*/) {}
