// System error codes of the device platform, as the registry and module calls answer them. The
// values are the system's own, so callers may compare them with the real headers' names.
#pragma once

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
// The registry's backing store is damaged and cannot be read.
#define ERROR_BADDB 1009L
// The registry's backing store could not be read or written.
#define ERROR_REGISTRY_IO_FAILED 1016L
// The handle names a key that has been deleted since it was opened.
#define ERROR_KEY_DELETED 1018L
