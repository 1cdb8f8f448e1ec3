// Files of the device platform. Device paths such as "\Storage\My Documents\ZelvarPlugin.dat" map
// onto a device root folder on the host file system, the way an emulator maps a drive.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "platform/scoped_service.h"
#include "platform/win_types.h"

// Opens a file by its device path with a C stdio mode ("r", "w", "a+"...). The file's bytes are
// read and written with the narrow stdio calls. Only a regular file opens, without waiting (see
// OpenRegularFile): on failure answers nullptr with errno set (ENOENT when the file does not exist,
// EISDIR for a folder, EINVAL for a FIFO, a device or a socket, EXDEV for a path that leaves the
// device root, see HostPathOf, which is not reported below: the caller names the path). A stream
// opened for writing checks every write, flush and close, and its close syncs what was written to
// the disk (unless syncs are off, see below); a failed open, write, flush or close is reported (see
// below) once per file and cause, and shows in the stdio call's result. While writes are off an
// open for writing fails with EROFS, unreported, and creates nothing.
FILE* _wfopen(LPCWSTR path, LPCWSTR mode);

// MoveFileExW's flags: replace a file that stands at the new name (else the move fails with
// EEXIST); return only once the move is on the disk (unless syncs are off, see below).
inline constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
inline constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;

// Gives a file, by its device path, the new device path, in one step: a crash or a kill leaves the
// old name or the new one. FALSE with errno set when it cannot; a failure is reported as a failed
// write of the new name. While writes are off it fails with EROFS, unreported, and moves nothing.
BOOL MoveFileExW(LPCWSTR existing, LPCWSTR replacement, DWORD flags);

// Removes a file by its device path. FALSE with errno set when it cannot: ENOENT, unreported, when
// there is none; while writes are off EROFS, unreported, and nothing is removed; any other failure
// is reported as a failed write.
BOOL DeleteFileW(LPCWSTR path);

// Whether files may be opened for writing (the default). A process that only looks at the files
// turns it off, so that nothing it runs can change them. The setters below change the installed
// FileLayerState.
void SetFileWritesAllowed(bool allowed);

// Whether closing a written stream waits until its bytes are on the disk (the default). A
// simulation, whose files only stand for a device's, turns it off: a power cut may then lose what
// it wrote last, a crash or a kill of the program loses nothing.
void SetFileWritesSynced(bool synced);

// A file the file layer could not write: its host path, the cause, and whether its open failed
// or a later write, flush or close (the bytes of the stream did not all reach the disk).
struct FileWriteFailure {
  std::string hostPath;
  std::string cause;
  bool atOpen;
};
// "cannot open <host path> for writing: <cause>" or "cannot write <host path>: <cause>".
std::string DescribeWriteFailure(const FileWriteFailure& failure);

// Receives each failure once per description. Without one (or after an empty one is set) the
// description goes to standard error after the program's name.
using WriteFailureReporter = std::function<void(const FileWriteFailure& failure)>;
void SetWriteFailureReporter(WriteFailureReporter reporter);

// Called with the host path just before a file is opened for writing, moved (its new name) or
// removed (writes allowed): a host that keeps other state in step with the files saves it first.
// Set an empty one to stop.
using FileChangeObserver = std::function<void(const std::string& hostPath)>;
void SetFileChangeObserver(FileChangeObserver observer);

// The host folder that stands for the device's root "\". Set by the host or a test; by default
// $ZELVAR_DEVICE_ROOT, else $XDG_DATA_HOME/zelvar/device, else ~/.local/share/zelvar/device.
void SetDeviceRoot(const std::string& hostFolder);
std::string DeviceRoot();

// What the setters above set, and the failures already reported (their descriptions).
struct FileLayerState {
  std::optional<std::string> deviceRoot;
  bool writesAllowed = true;
  bool writesSynced = true;
  WriteFailureReporter failureReporter;
  FileChangeObserver changeObserver;
  std::set<std::string> reportedFailures;
};
// Without an installed state the file layer keeps one of its own for the process.
FileLayerState* InstallFileLayerState(FileLayerState* state);
using ScopedFileLayerState = ScopedService<FileLayerState, InstallFileLayerState>;

// The host path that a device path names: "\a\b" -> <root>/a/b. The device has no current folder,
// so "a\b" names the same file. A path whose ".." would climb above the root, or that names the
// root itself ("\"), names no file: nothing; an empty path names none either: "".
std::optional<std::string> HostPathOf(LPCWSTR devicePath);
