// The platform API as the module's sources see it: the device system's names and types. The
// Windows build takes them from the system headers; the stand-in build from this folder.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <msxml2.h>
#include "platform/win/device_extras.h"
#else
#include "platform/com.h"
#include "platform/file_api.h"
#include "platform/gdi.h"
#include "platform/guid.h"
#include "platform/message_box.h"
#include "platform/module_api.h"
#include "platform/oleauto.h"
#include "platform/power_api.h"
#include "platform/registry.h"
#include "platform/time_api.h"
#include "platform/win_types.h"
#include "platform/xmldom.h"
#endif

#include "platform/wide_text.h"
