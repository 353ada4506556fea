// The picture-saving service: the file read back equals the picture, a failed
// save leaves the old file as it was and no temporary file behind, a replace that
// fails in any documented way loses neither picture, and every target a plain write
// could replace is replaced: long paths, folders that admit no new file or no
// delete, files with several names.
#include "toolkit/picture_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/win/app_test_support.h"
#include "toolkit/handles.h"
#include "toolkit/runtime_error.h"
#include "toolkit/save_failure.h"

namespace tk {
namespace {

// The colour of pixel (x, y), top row 0, of the pictures these tests save. The
// shell check of the written file uses the same formula.
COLORREF PatternColor(int x, int y) {
    return RGB((x * 40 + 7) % 256, (y * 60 + 3) % 256, ((x + y) * 17) % 256);
}

// A DIB section of the given size holding PatternColor.
HBITMAP MakePatternPicture(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first in memory
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF c = PatternColor(x, y);
            // 32-bit DIB pixels are 0x00RRGGBB.
            pixels[y * width + x] = (std::uint32_t{GetRValue(c)} << 16) |
                                    (std::uint32_t{GetGValue(c)} << 8) | GetBValue(c);
        }
    }
    return picture;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}
std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// Parses the file as an uncompressed 24-bit bitmap and compares every pixel with
// PatternColor.
void ExpectPatternFile(const std::string& path, int width, int height) {
    const std::string bytes = ReadAll(path);
    const std::vector<std::uint8_t> file(bytes.begin(), bytes.end());
    ASSERT_GE(file.size(), 54u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32(file, 2), file.size());
    const std::uint32_t offset = U32(file, 10);
    EXPECT_EQ(U32(file, 14), 40u);
    EXPECT_EQ(static_cast<std::int32_t>(U32(file, 18)), width);
    EXPECT_EQ(static_cast<std::int32_t>(U32(file, 22)), height);  // positive: bottom-up
    EXPECT_EQ(U16(file, 26), 1);
    EXPECT_EQ(U16(file, 28), 24);
    EXPECT_EQ(U32(file, 30), 0u);  // BI_RGB
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    ASSERT_EQ(file.size(), offset + stride * static_cast<std::size_t>(height));
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
        const std::size_t row = offset + stride * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const std::size_t at = row + static_cast<std::size_t>(x) * 3;
            const COLORREF c = PatternColor(x, y);
            if (file[at] != GetBValue(c) || file[at + 1] != GetGValue(c) ||
                file[at + 2] != GetRValue(c)) {
                ++wrong;
            }
        }
    }
    EXPECT_EQ(wrong, 0) << "pixels that differ from the picture";
}

class PictureFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = tresk::test::MakeTempFolder("tresk-picture-");
        picture_ = MakePatternPicture(kWidth, kHeight);
        ASSERT_NE(picture_, nullptr);
    }
    void TearDown() override {
        DeleteObject(picture_);
        tresk::test::RemoveFolder(folder_);
    }

    // The names in the test folder, or in another.
    std::set<std::string> Names(const std::string& folder = {}) const {
        return tresk::test::FilesIn(folder.empty() ? folder_ : folder);
    }

    // Saves and returns the error raised; fails the test when none is.
    RuntimeError SaveExpectingError(const std::string& path) {
        try {
            SavePictureFile(picture_, path);
        } catch (const RuntimeError& error) {
            return error;
        }
        ADD_FAILURE() << "no error for " << path;
        return RuntimeError(0, "");
    }

    // 5 pixels of 3 bytes: each row carries one byte of padding.
    static constexpr int kWidth = 5;
    static constexpr int kHeight = 3;
    std::string folder_;
    HBITMAP picture_ = nullptr;
};

TEST_F(PictureFileTest, WritesABottomUp24BitBitmapEqualToThePicture) {
    const std::string path = folder_ + "\\new.bmp";
    SavePictureFile(picture_, path);
    ExpectPatternFile(path, kWidth, kHeight);
    EXPECT_EQ(Names(), std::set<std::string>{"new.bmp"});

    // A picture whose rows need no padding, and a single pixel.
    HBITMAP wide = MakePatternPicture(8, 2);
    SavePictureFile(wide, folder_ + "\\wide.bmp");
    DeleteObject(wide);
    ExpectPatternFile(folder_ + "\\wide.bmp", 8, 2);
    HBITMAP dot = MakePatternPicture(1, 1);
    SavePictureFile(dot, folder_ + "\\dot.bmp");
    DeleteObject(dot);
    ExpectPatternFile(folder_ + "\\dot.bmp", 1, 1);
}

TEST_F(PictureFileTest, ReplacesAnExistingFileAndLeavesNoTemporaryFile) {
    const std::string path = folder_ + "\\old.bmp";
    WriteAll(path,
             "an older and much longer file that the picture replaces completely, byte "
             "for byte, so nothing of it may be left behind at its end..................");
    SavePictureFile(picture_, path);
    ExpectPatternFile(path, kWidth, kHeight);
    EXPECT_EQ(Names(), std::set<std::string>{"old.bmp"});
}

TEST_F(PictureFileTest, ReadOnlyTargetFailsAndStaysAsItWas) {
    const std::string path = folder_ + "\\locked.bmp";
    WriteAll(path, "old bytes");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));

    const RuntimeError error = SaveExpectingError(path);
    EXPECT_EQ(error.Number(), kErrPermissionDenied);
    EXPECT_EQ(error.Description(), "Permission denied: " + path);
    EXPECT_EQ(ReadAll(path), "old bytes");
    EXPECT_EQ(Names(), std::set<std::string>{"locked.bmp"});
}

TEST_F(PictureFileTest, MissingFolderFailsWithPathNotFound) {
    const std::string missing = folder_ + "\\no-such-folder";
    const RuntimeError error = SaveExpectingError(missing + "\\picture.bmp");
    EXPECT_EQ(error.Number(), kErrPathNotFound);
    EXPECT_EQ(error.Description(), "Path not found: " + missing);
    EXPECT_EQ(std::string(error.what()), error.Description());
    EXPECT_TRUE(Names().empty());
}

// A folder, or a device reached by a name no rule of names catches (a pipe), where the
// file should be: refused, and nothing made.
TEST_F(PictureFileTest, FolderOrDeviceInPlaceOfTheTargetFailsAndStays) {
    const std::string path = folder_ + "\\taken.bmp";
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    const RuntimeError error = SaveExpectingError(path);
    EXPECT_FALSE(error.Description().empty());
    EXPECT_NE(error.Description().find(path), std::string::npos) << error.Description();
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              DWORD{FILE_ATTRIBUTE_DIRECTORY});

    const std::string pipe = "\\\\.\\pipe\\tresk-picture-" + std::to_string(GetCurrentProcessId());
    const File server(CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 0,
                                       4096, 0, nullptr));
    ASSERT_NE(server.Get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(SaveExpectingError(pipe).Description(), NamesADevice(pipe).Description());
    EXPECT_EQ(Names(), std::set<std::string>{"taken.bmp"});
}

// The save dialog returns paths of up to 254 characters. A temporary name beside a
// target that long must still stay within the system's path limit.
TEST_F(PictureFileTest, TargetsUpToTheDialogsLimitAreSavedAndReplaced) {
    // A chain of folders leaves room for one more folder of any length needed below.
    std::string parent = folder_;
    while (parent.size() < 220) {
        parent += "\\nested-folder";
        ASSERT_TRUE(CreateDirectoryA(parent.c_str(), nullptr)) << parent;
    }
    for (std::size_t length = 247; length <= 254; ++length) {
        const std::string name = "p.bmp";
        const std::string folder =
            parent + "\\" + std::string(length - parent.size() - 2 - name.size(), 'f');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
        const std::string path = folder + "\\" + name;
        ASSERT_EQ(path.size(), length);
        SCOPED_TRACE(path);

        SavePictureFile(picture_, path);
        ExpectPatternFile(path, kWidth, kHeight);
        WriteAll(path, "the older picture");
        SavePictureFile(picture_, path);
        ExpectPatternFile(path, kWidth, kHeight);
        EXPECT_EQ(Names(folder), std::set<std::string>{name});
    }
}

// A file with a second name (a hard link) gets the picture under both names; a
// rename over one of them would split them into two different files.
TEST_F(PictureFileTest, AFileWithSeveralNamesKeepsThemAll) {
    const std::string first = folder_ + "\\first.bmp";
    const std::string second = folder_ + "\\second.bmp";
    WriteAll(first, "the older picture under two names");
    ASSERT_TRUE(CreateHardLinkA(second.c_str(), first.c_str(), nullptr));

    SavePictureFile(picture_, first);
    ExpectPatternFile(first, kWidth, kHeight);
    ExpectPatternFile(second, kWidth, kHeight);
    HANDLE file = CreateFileA(second.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    BY_HANDLE_FILE_INFORMATION info{};
    EXPECT_TRUE(GetFileInformationByHandle(file, &info));
    CloseHandle(file);
    EXPECT_EQ(info.nNumberOfLinks, 2u);
    EXPECT_EQ(Names(), (std::set<std::string>{"first.bmp", "second.bmp"}));
}

// Puts `spy` in place of the kernel32 function `name` for this program's calls.
tresk::test::Patch Spy(const char* name, auto* spy) {
    return {GetModuleHandleA(nullptr), "kernel32.dll", name, reinterpret_cast<void*>(spy)};
}

// The disk under a file written in place: full once the file would pass `capacity`
// bytes (a cut end gives its room back), and with `failures` the device refuses that
// many writes that pass byte `failAfter` of all the save writes.
struct FailingDisk {
    std::uint64_t capacity = 0, failAfter = 0, failures = 0, written = 0;
    tresk::test::Patch writeFile;
};
FailingDisk g_disk;

BOOL WINAPI WriteFileSpy(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                         LPOVERLAPPED overlapped) {
    LARGE_INTEGER at{};
    SetFilePointerEx(file, LARGE_INTEGER{}, &at, FILE_CURRENT);
    std::uint64_t allowed = std::min<std::uint64_t>(
        size, g_disk.capacity - std::min(g_disk.capacity, static_cast<std::uint64_t>(at.QuadPart)));
    if (g_disk.failures > 0 && g_disk.written + size > g_disk.failAfter) {
        allowed = std::min(allowed, g_disk.failAfter - g_disk.written);
        --g_disk.failures;
    }
    const auto real = g_disk.writeFile.original<decltype(&WriteFile)>();
    if (!real(file, data, static_cast<DWORD>(allowed), written, overlapped)) {
        return FALSE;
    }
    g_disk.written += *written;
    SetLastError(*written < size ? ERROR_DISK_FULL : ERROR_SUCCESS);
    return *written == size;
}

// A save over a file with two names that fails part way leaves both names holding
// the old bytes: when the disk fills, and when the device refuses a write once. A
// device that keeps refusing may leave the file damaged, and the message says so.
TEST_F(PictureFileTest, AFailedSaveOverAFileWithSeveralNamesKeepsItsBytes) {
    const std::string first = folder_ + "\\first.bmp";
    const std::string second = folder_ + "\\second.bmp";
    const std::string old = "the older picture under two names, forty";
    WriteAll(first, old);
    ASSERT_TRUE(CreateHardLinkA(second.c_str(), first.c_str(), nullptr));
    // The picture is 102 bytes: the file grows by 62, or by 30 before the disk fills.
    // {capacity, failAfter, failures}: the disk fills, the device refuses once, for good.
    using Disk = std::array<std::uint64_t, 3>;
    for (const auto& [capacity, failAfter, failures] :
         {Disk{70, UINT64_MAX, 0}, Disk{UINT64_MAX, 80, 1}, Disk{UINT64_MAX, 80, 1000}}) {
        SCOPED_TRACE(failures);
        g_disk = {capacity, failAfter, failures, 0, Spy("WriteFile", &WriteFileSpy)};
        const std::string error = SaveExpectingError(first).Description();
        g_disk = {};
        EXPECT_EQ(error, failures > 1 ? "Disk full (the file may be damaged: " + first + ")"
                                      : "Disk full");
        if (failures < 2) {
            EXPECT_EQ(ReadAll(first), old);
            EXPECT_EQ(ReadAll(second), old);
        }
        WriteAll(first, old);
    }
    EXPECT_EQ(Names(), (std::set<std::string>{"first.bmp", "second.bmp"}));
    EXPECT_EQ(ReadAll(second), old) << "the names came apart";
}

// Others at work while a save runs. The folder `prefix` admits no new file, and with
// `refuseMoves` no file moved over another (a target one may write but not delete).
// Another program holds `held` open, denying others to write or delete it, and lets
// go at the save's first retry with `releaseAtRetry`; with `holdReplacement` it opens
// the save's new file just before the replace, as a virus scanner does. The folder
// `dropBox` lets files be made but not deleted: a file's maker may rename or delete it
// through the handle it was made with, nobody by its name. ReplaceFileA answers its
// next `answers` calls with `answer`, leaving the files as its documentation says for
// that answer; a file deleted while another program holds it (sharing delete) leaves
// its name `pending`, which nothing can open or take until it lets go.
struct Others {
    std::string prefix{};
    bool refuseMoves = false;
    bool releaseAtRetry = false;
    bool holdReplacement = false;
    std::string dropBox{};
    DWORD answer = 0;
    int answers = 0;
    std::string pending{};
    tresk::test::Patch createFile{}, moveFile{}, replaceFile{}, sleep{}, deleteFile{};
    int refused = 0;
    int waits = 0;
    tk::File held{};
    void Hold(const char* path) {
        held = tk::File(
            CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    }
};
Others* g_others = nullptr;

// Fails a call with access denied, counting the refusal.
template <class Result>
Result Refuse(Result result) {
    ++g_others->refused;
    SetLastError(ERROR_ACCESS_DENIED);
    return result;
}

bool InDropBox(LPCSTR name) {
    return !g_others->dropBox.empty() && std::string(name).starts_with(g_others->dropBox);
}

HANDLE WINAPI CreateFileSpy(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                            DWORD disposition, DWORD flags, HANDLE templateFile) {
    const bool exists = GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
    const bool makesNew = disposition == CREATE_NEW ||
                          ((disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) && !exists);
    if ((makesNew && !g_others->prefix.empty() &&
         std::string(name).starts_with(g_others->prefix)) ||
        name == g_others->pending ||
        (InDropBox(name) && exists && (access & (DELETE | GENERIC_ALL)) != 0)) {
        return Refuse(INVALID_HANDLE_VALUE);
    }
    return g_others->createFile.original<decltype(&CreateFileA)>()(
        name, access, share, security, disposition, flags, templateFile);
}

// True, with access denied, when a move over `to` is refused.
bool RefusesMoveOver(LPCSTR to) {
    if (!g_others->refuseMoves || !std::string(to).starts_with(g_others->prefix)) {
        return false;
    }
    ++g_others->refused;
    SetLastError(ERROR_ACCESS_DENIED);
    return true;
}

BOOL WINAPI MoveFileExSpy(LPCSTR from, LPCSTR to, DWORD flags) {
    if (InDropBox(from) || to == g_others->pending) {
        return Refuse(FALSE);
    }
    return !RefusesMoveOver(to) &&
           g_others->moveFile.original<decltype(&MoveFileExA)>()(from, to, flags);
}

BOOL WINAPI DeleteFileSpy(LPCSTR name) {
    return InDropBox(name) ? Refuse(FALSE)
                           : g_others->deleteFile.original<decltype(&DeleteFileA)>()(name);
}

BOOL WINAPI ReplaceFileSpy(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags,
                           LPVOID exclude, LPVOID reserved) {
    if (InDropBox(replaced)) {
        return Refuse(FALSE);  // it opens both files by name, to delete them
    }
    if (g_others->answers > 0) {
        --g_others->answers;
        if (g_others->answer == ERROR_UNABLE_TO_MOVE_REPLACEMENT && backup == nullptr) {
            // "the replaced file no longer exists"; the program holding it keeps its name
            DeleteFileA(replaced);
            g_others->pending = replaced;
        } else if (g_others->answer == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            // "The file to be replaced still exists with a different name" (the backup's)
            MoveFileExA(replaced,
                        backup != nullptr ? backup : (std::string(replaced) + ".old").c_str(), 0);
        }
        SetLastError(g_others->answer);
        return FALSE;
    }
    if (std::exchange(g_others->holdReplacement, false)) {
        g_others->Hold(replacement);
    }
    return !RefusesMoveOver(replaced) &&
           g_others->replaceFile.original<decltype(&ReplaceFileA)>()(replaced, replacement, backup,
                                                                     flags, exclude, reserved);
}

void WINAPI SleepSpy(DWORD) {
    ++g_others->waits;
    if (g_others->releaseAtRetry) {
        g_others->held = {};
    }
}

TEST_F(PictureFileTest, FoldersThatRefuseNewFilesOrDeletesStillHaveTheirFilesReplaced) {
    const std::string shut = folder_ + "\\shut";
    ASSERT_TRUE(CreateDirectoryA(shut.c_str(), nullptr));
    const std::string path = shut + "\\old.bmp";
    WriteAll(path, "an older and longer picture that the new one overwrites, byte for byte");
    Others others{.prefix = shut + "\\",
                  .createFile = Spy("CreateFileA", &CreateFileSpy),
                  .moveFile = Spy("MoveFileExA", &MoveFileExSpy),
                  .replaceFile = Spy("ReplaceFileA", &ReplaceFileSpy)};
    g_others = &others;

    SavePictureFile(picture_, path);
    EXPECT_GT(others.refused, 0) << "the spy never refused a new file";
    ExpectPatternFile(path, kWidth, kHeight);
    EXPECT_EQ(Names(shut), std::set<std::string>{"old.bmp"});

    // A new name there fails as a plain write would, and nothing is made.
    const std::string fresh = shut + "\\new.bmp";
    EXPECT_EQ(SaveExpectingError(fresh).Description(), "Permission denied: " + fresh);
    EXPECT_EQ(Names(shut), std::set<std::string>{"old.bmp"});

    // A read-only file there is still refused and kept.
    WriteAll(path, "old bytes");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(SaveExpectingError(path).Description(), "Permission denied: " + path);
    EXPECT_EQ(ReadAll(path), "old bytes");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));

    // New files allowed but the move over the target refused: the target is written
    // in place and the new file made for the move is gone again.
    const std::string other = folder_ + "\\other.bmp";
    WriteAll(other, "old bytes");
    others.prefix = other;
    others.refuseMoves = true;
    others.refused = 0;
    SavePictureFile(picture_, other);
    EXPECT_GT(others.refused, 0) << "the spy never refused the replace";
    ExpectPatternFile(other, kWidth, kHeight);
    EXPECT_EQ(Names(), (std::set<std::string>{"other.bmp", "shut"}));

    // A drop box, which lets files be made but not deleted: a file there is replaced in
    // place and a new name taken, with nothing left behind and no wait for a refusal
    // that never ends.
    const std::string box = folder_ + "\\box";
    ASSERT_TRUE(CreateDirectoryA(box.c_str(), nullptr));
    WriteAll(box + "\\old.bmp", "an older picture");
    others = {.dropBox = box + "\\",
              .createFile = std::move(others.createFile),
              .moveFile = std::move(others.moveFile),
              .replaceFile = std::move(others.replaceFile),
              .sleep = Spy("Sleep", &SleepSpy),
              .deleteFile = Spy("DeleteFileA", &DeleteFileSpy)};
    SavePictureFile(picture_, box + "\\old.bmp");
    SavePictureFile(picture_, box + "\\new.bmp");
    EXPECT_GT(others.refused, 0) << "the spy never refused a delete";
    EXPECT_EQ(others.waits, 0);
    ExpectPatternFile(box + "\\old.bmp", kWidth, kHeight);
    ExpectPatternFile(box + "\\new.bmp", kWidth, kHeight);
    EXPECT_EQ(Names(box), (std::set<std::string>{"new.bmp", "old.bmp"}));
}

// A holder of the target or the new file that lets go soon is waited for; one that
// keeps the target is reported as such and the old file stays.
TEST_F(PictureFileTest, AFileHeldOpenByAnotherProgramIsWaitedForOrReported) {
    const std::string path = folder_ + "\\held.bmp";
    // {lets go at the first retry, holds the new file rather than the target}
    for (const auto& [letsGo, newFile] :
         {std::pair{true, false}, std::pair{false, false}, std::pair{true, true}}) {
        SCOPED_TRACE(::testing::Message() << "lets go " << letsGo << ", new file " << newFile);
        WriteAll(path, "the older picture");
        Others others{.releaseAtRetry = letsGo,
                      .holdReplacement = newFile,
                      .replaceFile = Spy("ReplaceFileA", &ReplaceFileSpy),
                      .sleep = Spy("Sleep", &SleepSpy)};
        g_others = &others;
        if (!newFile) {
            others.Hold(path.c_str());
        }
        if (letsGo) {
            EXPECT_NO_THROW(SavePictureFile(picture_, path));
            ExpectPatternFile(path, kWidth, kHeight);
        } else {
            EXPECT_EQ(SaveExpectingError(path).Description(),
                      "Permission denied: " + path + " (open in another program)");
            EXPECT_EQ(ReadAll(path), "the older picture");
        }
        EXPECT_GT(others.waits, 0) << "no retry while a file was held";
        EXPECT_EQ(Names(), std::set<std::string>{"held.bmp"});
    }
}

// Each way ReplaceFileA is documented to fail, with the files left as documented for
// it, and whether it was given a backup name: the save ends with the new picture under
// the target's name and nothing beside it, or, where the name stays refused after the
// old file was moved aside, says where each picture is. Without a backup name the
// old file would be gone and the new one deleted when the retries run out.
TEST_F(PictureFileTest, EachWayAReplaceCanFailKeepsBothPictures) {
    const std::string path = folder_ + "\\doc.bmp";
    const std::string old = "the older picture";
    // {ReplaceFileA's answer, to how many calls, the name refused to the new picture}
    using Row = std::tuple<DWORD, int, bool>;
    for (const auto& [answer, answers, nameRefused] :
         {Row{ERROR_UNABLE_TO_REMOVE_REPLACED, 100, false},
          Row{ERROR_UNABLE_TO_MOVE_REPLACEMENT, 100, false},
          Row{ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1, false},
          Row{ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1, true}, Row{ERROR_NOT_SUPPORTED, 100, false},
          Row{ERROR_INVALID_PARAMETER, 100, false}}) {
        SCOPED_TRACE(::testing::Message() << "answer " << answer << ", refused " << nameRefused);
        WriteAll(path, old);
        Others others{.prefix = path,
                      .refuseMoves = nameRefused,
                      .answer = answer,
                      .answers = answers,
                      .createFile = Spy("CreateFileA", &CreateFileSpy),
                      .moveFile = Spy("MoveFileExA", &MoveFileExSpy),
                      .replaceFile = Spy("ReplaceFileA", &ReplaceFileSpy),
                      .sleep = Spy("Sleep", &SleepSpy)};
        g_others = &others;
        if (!nameRefused) {
            EXPECT_NO_THROW(SavePictureFile(picture_, path));
            ExpectPatternFile(path, kWidth, kHeight);
            EXPECT_EQ(Names(), std::set<std::string>{"doc.bmp"});
            continue;
        }
        const std::string error = SaveExpectingError(path).Description();
        std::string fresh, aside;
        for (const std::string& name : Names()) {
            (ReadAll(folder_ + "\\" + name) == old ? aside : fresh) = folder_ + "\\" + name;
        }
        EXPECT_EQ(error, NotInPlace(path, fresh, aside).Description());
        ExpectPatternFile(fresh, kWidth, kHeight);
        EXPECT_EQ(Names().size(), 2u);
        DeleteFileA(fresh.c_str());
        DeleteFileA(aside.c_str());
    }
}

TEST_F(PictureFileTest, NoPictureFailsBeforeTouchingTheDisk) {
    try {
        SavePictureFile(nullptr, folder_ + "\\none.bmp");
        ADD_FAILURE() << "no error for a null picture";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Description(), "Invalid picture");
    }
    EXPECT_TRUE(Names().empty());
}

// Writes the pattern picture where the shell check asks for it, so that a bitmap
// reader we did not write can check the file (tests/win/picture_file_check.sh). It is
// a test only in the runs that name the file.
class WritesTheFileForTheShellCheck : public ::testing::Test {
    void TestBody() override {
        HBITMAP picture = MakePatternPicture(7, 4);
        SavePictureFile(picture, std::getenv("TRESK_PICTURE_CHECK_OUT"));
        DeleteObject(picture);
    }
};
[[maybe_unused]] const bool kShellCheck =
    std::getenv("TRESK_PICTURE_CHECK_OUT") != nullptr &&
    ::testing::RegisterTest("PictureFileOutside", "WritesTheFileForTheShellCheck", nullptr, nullptr,
                            __FILE__, __LINE__,
                            []() -> ::testing::Test* { return new WritesTheFileForTheShellCheck; });

}  // namespace
}  // namespace tk
