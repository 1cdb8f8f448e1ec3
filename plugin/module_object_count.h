// Live plug-in objects plus outstanding server locks; the module may unload when it is zero.
#pragma once

#include "platform/api.h"

extern LONG ModuleObjectCount;
