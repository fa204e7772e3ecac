// Resource ids shared by the program's code and kestrune.rc.
#pragma once

#define IDI_KESTRUNE 101
// The notification-area icon while the shortcuts are paused.
#define IDI_KESTRUNE_PAUSED 102
