#pragma once
// What a failed save of a file tells the user, and the names a save refuses before it
// makes anything. No Windows dependency: the file code maps the system's error codes
// to a FileFault and raises what these functions build.
#include <string>
#include <string_view>

#include "toolkit/runtime_error.h"

namespace tk {

// Why a file operation failed, as the user is told.
enum class FileFault {
    PathNotFound,      // the folder, drive or share does not exist
    HeldOpen,          // another program has the file open
    PermissionDenied,  // no right to write or replace it, or it is read-only
    DiskFull,
    Other,  // told in the system's own words
};

// The error for `fault` on the file `path`; `systemText` is the system's description
// of its error code (used for FileFault::Other), without a final full stop.
RuntimeError FileFailure(FileFault fault, const std::string& path, const std::string& systemText);

// `failure` when the file's old bytes could not be put back after it.
RuntimeError MayBeDamaged(const RuntimeError& failure, const std::string& path);

// No free name for a temporary file in `folder` (as the file code names it).
RuntimeError NoTemporaryName(const std::string& folder);

// A file too large to hold in memory while it is rewritten in place.
RuntimeError TooLargeToKeep(const std::string& path);

// The system moved the old file at `path` aside to `oldPicture`, and the new picture
// could not take the name; it stays under its temporary name `newPicture`.
RuntimeError NotInPlace(const std::string& path, const std::string& newPicture,
                        const std::string& oldPicture);

// `path` names a device (NUL, CON, a port, a pipe), not a file on a disk.
RuntimeError NamesADevice(const std::string& path);

// True when Windows takes the last part of `path` for a device rather than a file:
// CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9 (also with the superscript digits
// ¹ ² ³), CONIN$ and CONOUT$, in any case, with or without an extension, with the
// spaces and dots Windows strips from a name's end.
bool NamesDevice(std::wstring_view path);

// The folder that holds `path`, in a form a file name can be appended to: up to and
// with its last "\" or "/", "C:" for "C:name", empty for a bare name.
std::string FolderOf(const std::string& path);

// A folder as a reader knows it: without its trailing separator, "." for none.
std::string FolderForMessage(const std::string& folder);

}  // namespace tk
