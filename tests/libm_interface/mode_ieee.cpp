// This test program's error-handling mode; the archive's default is not linked.
#include "korvel_math.h"

extern "C" const int _lib_version = -1;
