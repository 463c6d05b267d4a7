// The program body: application title, main window, message loop, shutdown.
#pragma once

#include "platform/Platform.h"

namespace zylora::app {

// Runs the viewer on the given platform until the message loop ends; returns the exit code.
int RunProgram(platform::Platform& platform);

}  // namespace zylora::app
