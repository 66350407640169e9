// A core header that reaches for the toolkit.
#pragma once
#include <QString>
