// Files of the device platform. Device paths such as "\Storage\My Documents\ZelvarPlugin.dat" map
// onto a device root folder on the host file system, the way an emulator maps a drive.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "platform/win_types.h"

// Opens a file by its device path with a C stdio mode ("r", "w", "a+"...). The file's bytes are
// read and written with the narrow stdio calls. On failure answers nullptr with errno set (ENOENT
// when the file does not exist, EISDIR for a folder). A failed open for writing is reported (see below) once per file
// and cause; while writes are off it fails with EROFS, unreported, and creates nothing.
FILE* _wfopen(LPCWSTR path, LPCWSTR mode);

// Whether files may be opened for writing (the default). A process that only looks at the files
// turns it off, so that nothing it runs can change them.
void SetFileWritesAllowed(bool allowed);

// Receives "cannot open <host path> for writing: <cause>". Without one (or after an empty one is
// set) the message goes to standard error after the program's name.
using WriteFailureReporter = std::function<void(const std::string& message)>;
void SetWriteFailureReporter(WriteFailureReporter reporter);

// The host folder that stands for the device's root "\". Set by the host or a test; by default
// $ZELVAR_DEVICE_ROOT, else $XDG_DATA_HOME/zelvar/device, else ~/.local/share/zelvar/device.
void SetDeviceRoot(const std::string& hostFolder);
std::string DeviceRoot();
// The host path that a device path names: "\a\b" -> <root>/a/b; a relative path stays relative.
std::string HostPathOf(LPCWSTR devicePath);
