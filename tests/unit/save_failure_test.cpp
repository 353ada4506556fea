#include "toolkit/save_failure.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace tk {
namespace {

// Names Windows takes for devices, in the forms a user may type or the dialog may
// return, and names that only look like them.
TEST(NamesDevice, ReservedNamesWithAnyExtensionAndTheEndsWindowsStrips) {
    for (const wchar_t* device :
         {L"nul", L"NUL.bmp", L"C:\\pics\\Con.txt", L"aux.tar.gz", L"prn", L"COM1.bmp", L"lpt9",
          L"COM\u00B9.bmp", L"lpt\u00B3", L"CONIN$", L"conout$.bmp", L"nul .bmp", L"NUL. . ",
          L"C:nul", L"pics/NUL:", L"\\\\server\\share\\com4.bmp"}) {
        EXPECT_TRUE(NamesDevice(device)) << std::wstring(device).size();
    }
    for (const wchar_t* file :
         {L"null.bmp", L"nul_.bmp", L"anul.bmp", L"COM0.bmp", L"COM10", L"LPT", L"COM\u00B4",
          L"C:\\nul\\picture.bmp", L"console.bmp", L"CONIN.bmp", L".nul", L"", L"C:\\pics\\"}) {
        EXPECT_FALSE(NamesDevice(file)) << std::wstring(file).size();
    }
}

// The texts of a failed save as the user reads them, with the folder as it is named;
// a damaged file keeps the number of what damaged it.
TEST(FileFailure, EachFaultTellsWhatFailedAndWhere) {
    using Row = std::pair<RuntimeError, std::string>;
    for (const auto& [error, text] :
         {Row{FileFailure(FileFault::PathNotFound, "C:\\no\\a.bmp", ""), "Path not found: C:\\no"},
          Row{FileFailure(FileFault::PathNotFound, "C:\\a.bmp", ""), "Path not found: C:\\"},
          Row{FileFailure(FileFault::PathNotFound, "D:a.bmp", ""), "Path not found: D:"},
          Row{FileFailure(FileFault::PathNotFound, "a.bmp", ""), "Path not found: ."},
          Row{FileFailure(FileFault::Other, "C:\\a.bmp", "Invalid name"),
              "Path/File access error: C:\\a.bmp (Invalid name)"},
          Row{MayBeDamaged(FileFailure(FileFault::DiskFull, "C:\\a.bmp", ""), "C:\\a.bmp"),
              "Disk full (the file may be damaged: C:\\a.bmp)"},
          Row{NoTemporaryName("C:\\pics\\"),
              "Path/File access error: no free temporary name in C:\\pics"},
          Row{NotInPlace("C:\\a.bmp", "C:\\~0A1B2.tmp", "C:\\~0A1B3.tmp"),
              "Path/File access error: the new picture could not take the name C:\\a.bmp. It "
              "is saved as C:\\~0A1B2.tmp; the old picture is now C:\\~0A1B3.tmp."},
          Row{NamesADevice("C:\\nul.bmp"),
              "Bad file name: C:\\nul.bmp names a device, not a file. Windows keeps CON, PRN, "
              "AUX, NUL, COM1 to COM9 and LPT1 to LPT9 for devices, also with an extension. "
              "Choose another name."}}) {
        EXPECT_EQ(error.Description(), text);
    }
    EXPECT_EQ(MayBeDamaged(FileFailure(FileFault::DiskFull, "a", ""), "a").Number(), kErrDiskFull);
}

}  // namespace
}  // namespace tk
