// Platform service: what the program needs from the desktop session around its window: whether a
// graphical display can be reached before the toolkit starts, and polite requests to end the program
// from outside it (the session closing, a kill without -9), so that the window closes the ordinary way
// and saves its place.
#pragma once

#include <string>

// Empty when a graphical display can be reached; otherwise what is wrong, as one line for the user.
std::string DisplayProblem();

// A handle (file descriptor) that turns readable when the program is asked to end, for the window's
// event loop to watch; -1 where such requests do not come this way (the toolkit then closes the window
// itself). Opened once per program.
int OpenEndRequests();
// Takes one pending request off the handle.
void TakeEndRequest(int handle);
