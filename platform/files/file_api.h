// Files of the device platform. Device paths such as "\Storage\My Documents\ZelvarPlugin.dat" map
// onto a device root folder on the host file system, the way an emulator maps a drive.
#pragma once

#include <cstdio>
#include <string>

#include "platform/win_types.h"

// Opens a file by its device path with a C stdio mode ("r", "w", "a+"...). The file's bytes are
// read and written with the narrow stdio calls. On failure answers nullptr with errno set (ENOENT
// when the file does not exist).
FILE* _wfopen(LPCWSTR path, LPCWSTR mode);

// The host folder that stands for the device's root "\". Set by the host or a test; by default
// $ZELVAR_DEVICE_ROOT, else $XDG_DATA_HOME/zelvar/device, else ~/.local/share/zelvar/device.
void SetDeviceRoot(const std::string& hostFolder);
std::string DeviceRoot();
// The host path that a device path names: "\a\b" -> <root>/a/b; a relative path stays relative.
std::string HostPathOf(LPCWSTR devicePath);
