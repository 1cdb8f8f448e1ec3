// The platform API as the module's sources see it: the device system's names and types. The
// Windows build takes them from the system headers; the stand-in build from this folder.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <msxml2.h>
#include "windows/platform/device_extras.h"
#else
#include "platform/com/com.h"
#include "platform/files/file_api.h"
#include "platform/gdi/gdi.h"
#include "platform/com/guid.h"
#include "platform/message_box/message_box.h"
#include "platform/module/module_api.h"
#include "platform/com/oleauto.h"
#include "platform/power/power_api.h"
#include "platform/registry/registry.h"
#include "platform/time/time_api.h"
#include "platform/win_types.h"
#include "platform/com/xmldom.h"
#endif

#include "platform/text/wide_text.h"
