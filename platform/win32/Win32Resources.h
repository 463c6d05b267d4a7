// Resource numbers shared by the exe's resource script and the code that loads them.
#pragma once

// The application icon. The lowest number, so the shell takes it as the exe's own.
#define ZYLORA_ICON_ID 1
