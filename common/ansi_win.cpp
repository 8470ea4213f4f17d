// Windows: the system ANSI code page through MultiByteToWideChar and WideCharToMultiByte.
#include "common/ansi.h"
