#include "plugin/module_object_count.h"

LONG ModuleObjectCount = 0;
