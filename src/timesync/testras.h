// The dial-up test of the update policy: whether a dial-up connection is connected now.
#pragma once

class DialUpStatus;

// True when at least one of the computer's dial-up links is connected, however many are up.
bool IsDialUpConnected(const DialUpStatus& status);
