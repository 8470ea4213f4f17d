// Native builds: code page 932, the ANSI code page of a Japanese Windows system.
#include "common/ansi.h"
