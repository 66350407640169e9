// A core header that reaches for a user-interface one of the platform.
#pragma once
#include "platform/qt/qttextrenderer.h"
