// A program that has nothing to do with Tresk Color, with the controls whose mouse
// handling depends on capturing the mouse: a push button, a text box and a scroll
// bar. The end-to-end test drives it with real pointer input while Tresk Color runs.
//
// Files in the current directory (LF line ends):
//   bystander_full.info  written once the window is up: screen places of the
//                        controls, one "name values..." line each, then "ready"
//   bystander_full.log   one line per finished gesture, flushed at once:
//                        "click N"             the button's N-th BN_CLICKED
//                        "select START END"    EM_GETSEL after a left release in the text box
//                        "thumb POS TRACKS"    SB_THUMBPOSITION with the number of
//                                              SB_THUMBTRACK notifications before it
//                        "bye MAPPED"          the "Close" button was clicked; MAPPED is 1
//                                              when Treskhook.dll is loaded in this process
#include <windows.h>

#include <cstdio>
#include <initializer_list>
#include <memory>

namespace {

constexpr char kWindowClass[] = "TreskBystanderFullWindow";
constexpr char kText[] = "The quick brown fox jumps over the lazy dog";
constexpr int kButtonId = 100;
constexpr int kEditId = 101;
constexpr int kScrollId = 102;
constexpr int kCloseId = 103;
constexpr int kScrollMax = 100;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File logFile;                // the gesture log, open for the whole run
int clicks = 0;              // BN_CLICKED so far
int thumbTracks = 0;         // SB_THUMBTRACK since the last SB_THUMBPOSITION
WNDPROC editProc = nullptr;  // the text box's own procedure, called from EditProc

// One log line: a word and its numbers.
void Log(const char* word, std::initializer_list<int> values) {
    if (!logFile) {
        return;
    }
    std::fputs(word, logFile.get());
    for (const int value : values) {
        std::fprintf(logFile.get(), " %d", value);
    }
    std::fputc('\n', logFile.get());
    std::fflush(logFile.get());
}

// The text box's procedure: after the box has handled a left release, its
// selection is what the drag made.
LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    const LRESULT result = CallWindowProcA(editProc, edit, message, wParam, lParam);
    if (message == WM_LBUTTONUP) {
        DWORD start = 0;
        DWORD end = 0;
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        Log("select", {static_cast<int>(start), static_cast<int>(end)});
    }
    return result;
}

LRESULT CALLBACK BystanderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kButtonId) {
                Log("click", {++clicks});
            } else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kCloseId) {
                // Whether the platform mapped Tresk Color's hook library in here.
                Log("bye", {GetModuleHandleA("Treskhook.dll") != nullptr ? 1 : 0});
                DestroyWindow(window);
            }
            return 0;
        case WM_HSCROLL: {
            HWND bar = reinterpret_cast<HWND>(lParam);
            if (LOWORD(wParam) == SB_THUMBTRACK) {
                ++thumbTracks;
            } else if (LOWORD(wParam) == SB_THUMBPOSITION) {
                const int position = static_cast<short>(HIWORD(wParam));
                Log("thumb", {position, thumbTracks});
                thumbTracks = 0;
                SetScrollPos(bar, SB_CTL, position, TRUE);
            }
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND Child(HWND parent, const char* className, const char* text, DWORD style, int x, int y,
           int width, int height, int id) {
    return CreateWindowExA(className[0] == 'E' ? WS_EX_CLIENTEDGE : 0, className, text,
                           WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

void WriteRect(std::FILE* file, const char* name, HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    std::fprintf(file, "%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
}

// The thumb's screen extent along the bar at a given position.
void WriteThumb(std::FILE* file, const char* name, HWND bar, int position) {
    SetScrollPos(bar, SB_CTL, position, TRUE);
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    GetScrollBarInfo(bar, OBJID_CLIENT, &info);
    std::fprintf(file, "%s %ld %ld\n", name, info.rcScrollBar.left + info.xyThumbTop,
                 info.rcScrollBar.left + info.xyThumbBottom);
}

// Screen places the test needs, in the layout the script reads.
bool WriteInfo(HWND button, HWND edit, HWND bar, HWND close) {
    File file(std::fopen("bystander_full.info", "wb"));
    if (!file) {
        return false;
    }
    WriteRect(file.get(), "window", GetParent(button));
    WriteRect(file.get(), "button", button);
    WriteRect(file.get(), "edit", edit);
    WriteRect(file.get(), "scroll", bar);
    WriteRect(file.get(), "close", close);
    const int length = GetWindowTextLengthA(edit);
    for (int i = 0; i < length; ++i) {
        const LRESULT packed = SendMessageA(edit, EM_POSFROMCHAR, static_cast<WPARAM>(i), 0);
        POINT p{static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
        ClientToScreen(edit, &p);
        std::fprintf(file.get(), "char %d %ld %ld\n", i, p.x, p.y);
    }
    WriteThumb(file.get(), "thumb_min", bar, 0);
    WriteThumb(file.get(), "thumb_max", bar, kScrollMax);
    SetScrollPos(bar, SB_CTL, 0, TRUE);
    std::fprintf(file.get(), "ready\n");
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    logFile.reset(std::fopen("bystander_full.log", "wb"));
    if (!logFile) {
        return 2;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = BystanderProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    if (RegisterClassA(&wc) == 0) {
        return 3;
    }
    // Well below where Tresk Color opens, so that neither covers the other.
    HWND window = CreateWindowExA(0, kWindowClass, "Bystander Full", WS_OVERLAPPEDWINDOW, 120, 420,
                                  560, 300, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 4;
    }
    HWND button = Child(window, "BUTTON", "Count", BS_PUSHBUTTON, 20, 20, 140, 40, kButtonId);
    HWND edit = Child(window, "EDIT", kText, ES_LEFT | ES_AUTOHSCROLL, 20, 80, 500, 28, kEditId);
    HWND bar = Child(window, "SCROLLBAR", nullptr, SBS_HORZ, 20, 140, 500, 24, kScrollId);
    HWND close = Child(window, "BUTTON", "Close", BS_PUSHBUTTON, 380, 200, 140, 40, kCloseId);
    if (button == nullptr || edit == nullptr || bar == nullptr || close == nullptr) {
        return 5;
    }
    editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
    SetScrollRange(bar, SB_CTL, 0, kScrollMax, FALSE);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    if (!WriteInfo(button, edit, bar, close)) {
        return 6;
    }
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) {
            return 7;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
