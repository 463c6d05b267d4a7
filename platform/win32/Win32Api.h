// The one way this layer includes <windows.h>: afterwards the macros that would rename the
// portable interface's own members are taken back (FileSystem::ReplaceFile would otherwise
// become ReplaceFileA in some files and not in others).
#pragma once

#include <windows.h>

#undef ReplaceFile
