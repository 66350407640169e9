// A core header that reaches for the toolkit by its lower-case name.
#pragma once
#include <qglobal.h>
#include <QtCore/qstring.h>
