#include "toolkit/app.h"

#include <algorithm>
#include <vector>

#include "toolkit/form.h"
#include "toolkit/numeric.h"
#include "toolkit/program_folder.h"

namespace tk {
namespace {

struct AppRecord {
    HINSTANCE instance = nullptr;
    std::string title;
    Version version;
    App::CleanupFn cleanup = nullptr;
    bool cleanupRan = false;
    std::vector<Form*> forms;
    double twipsX = 0;
    double twipsY = 0;
    const MSG* dispatching = nullptr;
};

AppRecord& Record() {
    static AppRecord record;
    return record;
}

void ReadScreenUnits() {
    AppRecord& r = Record();
    HDC screen = GetDC(nullptr);
    int dpiX = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    int dpiY = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    r.twipsX = TwipsPerPixelAt(dpiX);
    r.twipsY = TwipsPerPixelAt(dpiY);
}

void RunCleanupOnce() noexcept {
    AppRecord& r = Record();
    if (r.cleanup != nullptr && !r.cleanupRan) {
        r.cleanupRan = true;
        r.cleanup();
    }
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS*) {
    RunCleanupOnce();
    return EXCEPTION_CONTINUE_SEARCH;
}

void OnTerminate() {
    App::Fatal("Unexpected error");
}

// Keyboard interface of the forms: Tab and Shift+Tab move the focus, Enter and
// Esc press a form's default and cancel buttons.
bool PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) {
        return false;
    }
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    for (Form* form : Record().forms) {
        if (form->Hwnd() == top) {
            return form->HandleDialogKey(msg);
        }
    }
    return false;
}

}  // namespace

void App::Init(HINSTANCE instance, std::string title, Version version) {
    AppRecord& r = Record();
    r.instance = instance;
    r.title = std::move(title);
    r.version = version;
    ReadScreenUnits();
    SetUnhandledExceptionFilter(OnUnhandledException);
    std::set_terminate(OnTerminate);
}

HINSTANCE App::Instance() noexcept {
    return Record().instance != nullptr ? Record().instance : GetModuleHandleA(nullptr);
}
const std::string& App::Title() noexcept {
    return Record().title;
}
Version App::GetVersion() noexcept {
    return Record().version;
}

std::string App::Path() {
    const std::wstring folder = ProgramFolder();
    const int wideLength = static_cast<int>(folder.size());
    const int length = folder.empty() ? 0
                                      : WideCharToMultiByte(CP_ACP, 0, folder.data(), wideLength,
                                                            nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, folder.data(), wideLength, text.data(), length, nullptr,
                        nullptr);
    // Only a folder the code page spells exactly, as UTF-8 does: an ANSI code page
    // writes a letter it lacks as "?" or as a look-alike ("ł" as "l"), which names no
    // folder or another one. Empty instead: a dialog given no folder opens where it
    // would anyway, rather than in a wrong one.
    std::wstring back(folder.size(), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), length, back.data(), wideLength) !=
            wideLength ||
        back != folder) {
        return {};
    }
    return text;
}

int App::Run() {
    MSG msg;
    while (!Record().forms.empty()) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) {
            return 1;
        }
        if (got == 0) {
            return static_cast<int>(msg.wParam);
        }
        if (!PreTranslate(msg)) {
            TranslateMessage(&msg);
            Dispatch(msg);
        }
    }
    return 0;
}

void App::DoEvents() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!PreTranslate(msg)) {
            TranslateMessage(&msg);
            Dispatch(msg);
        }
    }
}

void App::Dispatch(const MSG& msg) noexcept {
    AppRecord& r = Record();
    const MSG* outer = r.dispatching;
    r.dispatching = &msg;
    DispatchMessageA(&msg);
    r.dispatching = outer;
}

const MSG* App::DispatchingMessage() noexcept {
    return Record().dispatching;
}

void App::SetFatalCleanup(CleanupFn cleanup) noexcept {
    Record().cleanup = cleanup;
    Record().cleanupRan = false;
}

void App::Fatal(const std::string& description) noexcept {
    RunCleanupOnce();
    MessageBoxA(nullptr, description.c_str(), Record().title.c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(1);
}

void App::FormOpened(Form* form) noexcept {
    try {
        Record().forms.push_back(form);
    } catch (...) {
        Fatal("Out of memory");
    }
}

void App::FormClosed(Form* form) noexcept {
    auto& forms = Record().forms;
    forms.erase(std::remove(forms.begin(), forms.end(), form), forms.end());
}

double TwipsPerPixelX() noexcept {
    if (Record().twipsX == 0) {
        ReadScreenUnits();
    }
    return Record().twipsX;
}

double TwipsPerPixelY() noexcept {
    if (Record().twipsY == 0) {
        ReadScreenUnits();
    }
    return Record().twipsY;
}

// The ratios are whole numbers (TwipsPerPixelAt), so the conversion to an integer
// ratio is exact.
std::int32_t ToPixelsX(std::int32_t twips) noexcept {
    return TwipsToPixels(twips, static_cast<std::int32_t>(TwipsPerPixelX()));
}
std::int32_t ToPixelsY(std::int32_t twips) noexcept {
    return TwipsToPixels(twips, static_cast<std::int32_t>(TwipsPerPixelY()));
}
std::int32_t ToTwipsX(std::int32_t pixels) noexcept {
    return static_cast<std::int32_t>(RoundHalfEven(pixels * TwipsPerPixelX()));
}
std::int32_t ToTwipsY(std::int32_t pixels) noexcept {
    return static_cast<std::int32_t>(RoundHalfEven(pixels * TwipsPerPixelY()));
}

}  // namespace tk
