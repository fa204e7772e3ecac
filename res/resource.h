// Resource ids shared by the program's code and kestrune.rc.
#pragma once

#define IDI_KESTRUNE 101
