#pragma once
// A new file under a free temporary name beside the file it is to replace.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "toolkit/handles.h"

namespace tk {

// A name in `folder` (given with its separator, as FolderOf gives it) that nothing
// answers to yet, of the same form as a TempFile's. Throws when none is found.
std::string FreeTemporaryName(const std::string& folder);

// The file is made with the right to delete it, which a folder that lets its users
// create files but not delete them (a drop box, some shares) still grants the file's
// creator on the handle it is made with, and on no other. So while the handle is open
// the file is renamed and deleted through it; only once Close gave it up are names
// used. Until it is put in place or kept, the destructor deletes it again, so an
// interrupted save leaves nothing behind.
class TempFile {
public:
    // `path` is the target as the caller named it, for error texts. Where the folder
    // admits no new file, or no temporary name fits within the path limit, nothing is
    // made and Made() is false.
    TempFile(const std::string& folder, const std::string& path);
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();

    bool Made() const { return !name_.empty(); }
    const std::string& Name() const { return name_; }

    // Writes `bytes` as the whole file and flushes them to the disk.
    void Write(std::span<const std::uint8_t> bytes);

    // False when the folder refuses to delete the file by its name: then nothing that
    // renames or replaces by name can work there.
    bool DeletableByName() const;

    // Gives the handle up, for ReplaceFileA, which opens the file by name for itself
    // alone.
    void Close();

    // Moves the file to `target`, over an existing file only with `replaceExisting`;
    // false with the system's error. Once moved it is no longer deleted.
    bool MoveTo(const std::string& target, bool replaceExisting);

    // The file stays where it is: its name was taken over, or it holds the only copy
    // of what was saved.
    void Keep() { kept_ = true; }

private:
    std::string path_;
    std::string name_;
    File file_;  // open from creation until Close or a move through it
    bool kept_ = false;
};

}  // namespace tk
