// The program's resources, linked into this test program: cursors, icon, About
// bitmap, manifest and version block, loaded through the same calls the program uses.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/res/resource_ids.h"
#include "app/res/version.h"
#include "toolkit/handles.h"

namespace tresk::test {
namespace {

constexpr WORD kItalian = MAKELANGID(TRESK_CURSOR_LANG, TRESK_CURSOR_SUBLANG);
constexpr COLORREF kBackground = RGB(0, 200, 0);  // a colour no image uses

HINSTANCE Self() {
    return GetModuleHandleA(nullptr);
}

// The two bitmaps GetIconInfo hands to its caller, freed on scope exit.
struct IconParts {
    ICONINFO info{};
    tk::Bitmap mask;
    tk::Bitmap color;
    bool ok = false;

    explicit IconParts(HICON icon) {
        ok = GetIconInfo(icon, &info) != FALSE;
        mask.Reset(info.hbmMask);
        color.Reset(info.hbmColor);
    }
};

BITMAP BitmapOf(HBITMAP bitmap) {
    BITMAP bm{};
    GetObjectA(bitmap, sizeof bm, &bm);
    return bm;
}

// Draws a cursor or icon at (0, 0) over kBackground and reads back its pixels, so
// the test sees what a user would see on the screen.
class Rendered {
public:
    Rendered(HICON icon, int size) : size_(size) {
        HDC screen = GetDC(nullptr);
        dc_.Reset(CreateCompatibleDC(screen));
        bitmap_.Reset(CreateCompatibleBitmap(screen, size, size));
        ReleaseDC(nullptr, screen);
        tk::SelectedObject select(dc_.Get(), bitmap_.Get());
        tk::Brush brush(CreateSolidBrush(kBackground));
        RECT all{0, 0, size, size};
        FillRect(dc_.Get(), &all, brush.Get());
        DrawIconEx(dc_.Get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                pixels_.push_back(GetPixel(dc_.Get(), x, y));
            }
        }
    }
    COLORREF At(int x, int y) const { return pixels_[static_cast<size_t>(y * size_ + x)]; }
    bool Drawn(int x, int y) const { return At(x, y) != kBackground; }

private:
    int size_;
    tk::MemoryDc dc_;
    tk::Bitmap bitmap_;
    std::vector<COLORREF> pixels_;
};

// True when every channel of `c` lies within `slack` of `expected`.
bool Near(COLORREF c, COLORREF expected, int slack = 8) {
    auto close = [slack](int a, int b) { return a - b <= slack && b - a <= slack; };
    return close(GetRValue(c), GetRValue(expected)) && close(GetGValue(c), GetGValue(expected)) &&
           close(GetBValue(c), GetBValue(expected));
}

tk::Cursor LoadCursorNumber(const char* name) {
    return tk::Cursor(
        static_cast<HCURSOR>(LoadImageA(Self(), name, IMAGE_CURSOR, 0, 0, LR_DEFAULTCOLOR)));
}

struct CursorCase {
    const char* name;
    DWORD hotX;
    DWORD hotY;
};

TEST(Cursors, LoadAsThirtyTwoSquareWithTheHotSpotOnTheDrawingsPoint) {
    const CursorCase cases[] = {{"#100", 10, 6}, {"#101", 12, 1}, {"#104", 7, 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tk::Cursor cursor = LoadCursorNumber(c.name);
        ASSERT_TRUE(cursor);
        IconParts parts(cursor.Get());
        ASSERT_TRUE(parts.ok);
        EXPECT_FALSE(parts.info.fIcon);
        EXPECT_EQ(parts.info.xHotspot, c.hotX);
        EXPECT_EQ(parts.info.yHotspot, c.hotY);
        ASSERT_TRUE(parts.color) << "colour cursors keep a colour bitmap";
        BITMAP color = BitmapOf(parts.color.Get());
        EXPECT_EQ(color.bmWidth, 32);
        EXPECT_EQ(color.bmHeight, 32);
        BITMAP mask = BitmapOf(parts.mask.Get());
        EXPECT_EQ(mask.bmWidth, 32);
        EXPECT_EQ(mask.bmHeight, 32);

        // The hot spot is the extreme point of the drawing: drawn itself, with nothing
        // beyond it in the direction it points.
        Rendered r(cursor.Get(), 32);
        const int x = static_cast<int>(c.hotX);
        const int y = static_cast<int>(c.hotY);
        EXPECT_TRUE(r.Drawn(x, y));
        EXPECT_FALSE(r.Drawn(0, 0)) << "outside the drawing is transparent";
        EXPECT_FALSE(r.Drawn(31, 31));
        if (std::strcmp(c.name, "#104") == 0) {
            EXPECT_FALSE(r.Drawn(x - 1, y + 1));  // the tip points down and to the left
            EXPECT_FALSE(r.Drawn(x, y + 1));
        } else {
            EXPECT_FALSE(r.Drawn(x, y - 1));  // arrow and finger point up
        }
    }
}

TEST(Cursors, ShowTheirColoursTheRightWayUp) {
    tk::Cursor arrow = LoadCursorNumber("#100");
    tk::Cursor hand = LoadCursorNumber("#101");
    tk::Cursor pipette = LoadCursorNumber("#104");
    ASSERT_TRUE(arrow && hand && pipette);

    Rendered a(arrow.Get(), 32);
    EXPECT_EQ(a.At(10, 6), RGB(0, 0, 0)) << "black outline at the tip";
    EXPECT_EQ(a.At(12, 12), RGB(255, 255, 255)) << "white body";
    EXPECT_EQ(a.At(19, 18), RGB(128, 128, 128)) << "grey shadow under the arrow's wing";

    Rendered h(hand.Get(), 32);
    EXPECT_EQ(h.At(12, 5), RGB(255, 255, 255)) << "white finger";
    EXPECT_EQ(h.At(10, 24), RGB(0, 0, 255)) << "blue cuff at the bottom";

    Rendered p(pipette.Get(), 32);
    EXPECT_TRUE(Near(p.At(24, 7), RGB(0xD7, 0x1E, 0x1E))) << "red bulb at the upper right";
    EXPECT_TRUE(Near(p.At(11, 20), RGB(0x2A, 0x6E, 0xD8))) << "colour in the tube near the tip";
}

TEST(Cursors, UnknownNumberGivesNull) {
    EXPECT_FALSE(LoadCursorNumber("#5"));
    EXPECT_FALSE(LoadCursorNumber("#102"));
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

// Languages under which a resource of this type and number is stored.
std::vector<WORD> LanguagesOf(LPCSTR type, int id) {
    std::vector<WORD> languages;
    EnumResourceLanguagesA(Self(), type, MAKEINTRESOURCEA(id), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

TEST(Cursors, AreStoredUnderItalianOnly) {
    for (int id : {IDC_TRESK_ARROW, IDC_TRESK_HAND, IDC_TRESK_PIPETTE}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(kItalian, 1040);
        EXPECT_NE(FindResourceExA(Self(), RT_GROUP_CURSOR, MAKEINTRESOURCEA(id), kItalian),
                  nullptr);
        EXPECT_EQ(LanguagesOf(RT_GROUP_CURSOR, id), std::vector<WORD>{kItalian});
    }
}

TEST(Icon, HoldsThirtyTwoAndSixteenPixelImagesOfSixteenColours) {
    HRSRC found = FindResourceA(Self(), MAKEINTRESOURCEA(IDI_TRESK), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr);
    auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(Self(), found)));
    ASSERT_NE(dir, nullptr);
    ASSERT_GE(SizeofResource(Self(), found), 6u);
    WORD count = 0;
    std::memcpy(&count, dir + 4, sizeof count);
    ASSERT_EQ(count, 2);
    ASSERT_EQ(SizeofResource(Self(), found), 6u + 14u * count);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = dir + 6 + 14 * i;  // GRPICONDIRENTRY
        WORD bits = 0;
        std::memcpy(&bits, entry + 6, sizeof bits);
        EXPECT_EQ(entry[0], entry[1]) << "square";
        EXPECT_EQ(entry[2], 16) << "16 colours";
        EXPECT_EQ(bits, 4);
        sizes.push_back(entry[0]);
    }
    EXPECT_EQ(sizes, (std::vector<int>{32, 16}));

    for (int size : {32, 16}) {
        SCOPED_TRACE(size);
        tk::Cursor icon(static_cast<HICON>(LoadImageA(Self(), MAKEINTRESOURCEA(IDI_TRESK),
                                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
        ASSERT_TRUE(icon);
        IconParts parts(icon.Get());
        ASSERT_TRUE(parts.ok);
        EXPECT_TRUE(parts.info.fIcon);
        BITMAP color = BitmapOf(parts.color.Get());
        EXPECT_EQ(color.bmWidth, size);
        EXPECT_EQ(color.bmHeight, size);
        Rendered r(icon.Get(), size);
        EXPECT_FALSE(r.Drawn(0, 0)) << "transparent corner";
        const int outlineX = size == 32 ? 1 : 0;
        EXPECT_EQ(r.At(outlineX, size - 2), RGB(0, 0, 0)) << "swatch outline at the lower left";
    }
}

TEST(AboutBitmap, IsThirtyTwoSquareTrueColourAndUpright) {
    tk::Bitmap bitmap(static_cast<HBITMAP>(LoadImageA(Self(), MAKEINTRESOURCEA(IDB_TRESK_ABOUT),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ASSERT_TRUE(bitmap);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(bitmap.Get(), sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 32);
    EXPECT_EQ(dib.dsBm.bmHeight, 32);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);

    tk::MemoryDc dc(CreateCompatibleDC(nullptr));
    tk::SelectedObject select(dc.Get(), bitmap.Get());
    EXPECT_EQ(GetPixel(dc.Get(), 0, 0), RGB(255, 255, 255)) << "window-coloured background";
    EXPECT_EQ(GetPixel(dc.Get(), 3, 12), RGB(0x78, 0xB4, 0xFF)) << "blue ramp above";
    EXPECT_EQ(GetPixel(dc.Get(), 3, 28), RGB(0xFF, 0xE6, 0x50)) << "warm ramp below";

    EXPECT_EQ(LoadImageA(Self(), "#365", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), nullptr);
}

TEST(Manifest, IsTheOnlyOneAndBringsCommonControlsSixAndDpiAwareness) {
    std::vector<WORD> languages = LanguagesOf(RT_MANIFEST, IDR_TRESK_MANIFEST);
    ASSERT_EQ(languages.size(), 1u) << "a second manifest would make the loader's choice arbitrary";
    HRSRC found = FindResourceA(Self(), MAKEINTRESOURCEA(IDR_TRESK_MANIFEST), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(Self(), found)));
    std::string text(data, SizeofResource(Self(), found));
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos);
    EXPECT_NE(text.find("<supportedOS"), std::string::npos);

    // The loader acted on it: comctl32 comes from the side-by-side store of the
    // common controls 6.0 assembly, not from the system folder.
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(comctl, path, MAX_PATH);
    FreeLibrary(comctl);
    std::string loaded = path;
    for (char& ch : loaded) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    EXPECT_NE(loaded.find("microsoft.windows.common-controls_"), std::string::npos) << path;
    EXPECT_NE(loaded.find("_6.0."), std::string::npos) << path;
}

// A file's version block in one line: signature, file and product version, file type
// and system (hexadecimal), translation, then each text asked for.
std::string VersionBlock(const std::string& path, std::initializer_list<const char*> names) {
    DWORD ignored = 0;
    std::vector<char> data(GetFileVersionInfoSizeA(path.c_str(), &ignored));
    void* value = nullptr;
    UINT length = 0;
    if (data.empty() || !GetFileVersionInfoA(path.c_str(), 0, data.size(), data.data()) ||
        !VerQueryValueA(data.data(), "\\", &value, &length) || length != sizeof(VS_FIXEDFILEINFO)) {
        return "no version block";
    }
    const auto* f = static_cast<const VS_FIXEDFILEINFO*>(value);
    WORD translation[2] = {};
    if (VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &value, &length) &&
        length == sizeof translation) {
        std::memcpy(translation, value, sizeof translation);
    }
    char text[128];
    std::snprintf(text, sizeof text, "%lX %08lX.%08lX %08lX.%08lX %lX %lX %04X%04X", f->dwSignature,
                  f->dwFileVersionMS, f->dwFileVersionLS, f->dwProductVersionMS,
                  f->dwProductVersionLS, f->dwFileType, f->dwFileOS, translation[0],
                  translation[1]);
    std::string block = text;
    const std::string texts = "\\StringFileInfo\\" + block.substr(block.size() - 8) + "\\";
    for (const char* name : names) {
        const std::string key = texts + name;
        const bool found = VerQueryValueA(data.data(), key.c_str(), &value, &length) && value;
        block += std::string("; ") + name + "=" + (found ? static_cast<const char*>(value) : "-");
    }
    return block;
}

// The program's block (linked into this test program) and the hook library's beside it:
// English and Italian, an application and a library for 32-bit Windows.
TEST(VersionBlocks, NumbersTypeTranslationAndTexts) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const auto names = {"FileDescription", "ProductName", "FileVersion",      "ProductVersion",
                        "InternalName",    "CompanyName", "OriginalFilename", "LegalCopyright"};
    EXPECT_EQ(
        VersionBlock(self, names),
        "FEEF04BD 00030000.00000004 00030000.00000004 1 4 040904B0; FileDescription=Tresk "
        "Color; ProductName=TRESKCOL; FileVersion=3.00.0004; ProductVersion=3.00.0004; "
        "InternalName=Treskcolor; CompanyName=Tresk Color project; "
        "OriginalFilename=Treskcolor.exe; LegalCopyright=Copyright (C) 2026 Tresk Color project");
    std::string library(self);
    library = library.substr(0, library.find_last_of("\\/") + 1) + "Treskhook.dll";
    EXPECT_EQ(
        VersionBlock(library, names),
        "FEEF04BD 00010000.00000000 00010000.00000000 2 40004 041004B0; FileDescription=Tresk "
        "system hook DLL; ProductName=Treskhook; FileVersion=1, 0, 0, 0; ProductVersion=1, 0, "
        "0, 0; InternalName=Treskhook; CompanyName=Tresk Color project; "
        "OriginalFilename=Treskhook.dll; LegalCopyright=Copyright (C) 2026 Tresk Color project");
    // The About window's numbers and the version text say the same as the program's.
    char text[32] = {};
    std::snprintf(text, sizeof text, "%u.%02u.%04u", unsigned{kVersionMajor},
                  unsigned{kVersionMinor}, unsigned{kVersionRevision});
    EXPECT_STREQ(text, TRESK_VERSION_TEXT);
    std::snprintf(text, sizeof text, "%04X%04X.%08X", unsigned{kVersionMajor},
                  unsigned{kVersionMinor}, unsigned{kVersionRevision});
    EXPECT_NE(VersionBlock(self, {}).find(text), std::string::npos) << text;
}

}  // namespace
}  // namespace tresk::test
