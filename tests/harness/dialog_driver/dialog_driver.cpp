// dialog_driver: runs one program with an exact command line and answers its message boxes.
//
//   dialog_driver.exe [--timeout MS] [--answers OK,YES,...] [--cwd HEX] (--cmd HEX | --cmd-file
//   PATH)
//
// HEX is the hex encoding of the bytes (wine64 re-quotes plain arguments, hex survives it).
// While the program runs, every visible top-level "#32770" window of any process is recorded and
// answered with the next scripted button; a box with no answer left is closed all the same
// (Cancel, else OK, else No) and marked unscripted, so that nothing waits for a user.
//
// The program inherits this driver's standard handles. The driver's own lines start with
// "@@dialog_driver: " and are written whole, one WriteFile each:
//   @@dialog_driver: DIALOG title=HEX text=HEX icon=0|1 icon_kind=KIND buttons=OK,CANCEL
//                    style=HEX exstyle=HEX pressed=NAME scripted=0|1 mismatch=0|1
//     (KIND: exclamation, information, question, error, none, or unknown when the icon does
//     not match a standard one)
//   @@dialog_driver: EXIT <code>          the program ended with this exit code
//   @@dialog_driver: TIMEOUT <ms>         the program was still running and has been terminated
//   @@dialog_driver: ERROR <what> <code>  the program could not be started (bad usage, ...)
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <kit/unique_handle.h>

namespace {

constexpr char kMarker[] = "@@dialog_driver: ";
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMessageTextId = 0xFFFF;
constexpr DWORD kPollMs = 15;

struct ButtonName {
    int id;
    const char* name;
};
constexpr ButtonName kButtons[] = {
    {IDOK, "OK"},
    {IDCANCEL, "CANCEL"},
    {IDABORT, "ABORT"},
    {IDRETRY, "RETRY"},
    {IDIGNORE, "IGNORE"},
    {IDYES, "YES"},
    {IDNO, "NO"},
    {IDHELP, "HELP"},
    {IDTRYAGAIN, "TRYAGAIN"},
    {IDCONTINUE, "CONTINUE"},
};

const char* NameOf(int id) {
    for (const auto& b : kButtons)
        if (b.id == id) return b.name;
    return nullptr;
}

int IdOf(const std::string& name) {
    for (const auto& b : kButtons)
        if (name == b.name) return b.id;
    return 0;
}

void Emit(const std::string& line) {
    std::string whole = kMarker + line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), whole.data(), static_cast<DWORD>(whole.size()),
              &written, nullptr);
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

bool Unhex(const std::string& hex, std::string* out) {
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    if (hex.size() % 2 != 0) return false;
    out->clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out->push_back(static_cast<char>(hi * 16 + lo));
    }
    return true;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::string TextOf(HWND window) {
    if (!window) return {};
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(got < 0 ? 0 : got));
    return Narrow(text);
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

bool IsShown(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

struct DialogLook {
    bool icon = false;
    HWND icon_control = nullptr;
    std::vector<int> buttons;
};

// The pixels of a rectangle of the screen, 32 bits each.
std::vector<std::uint32_t> CaptureScreen(const RECT& r) {
    int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<std::uint32_t> pixels;
    if (w <= 0 || h <= 0) return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const std::uint32_t*>(bits);
        pixels.assign(p, p + static_cast<size_t>(w) * static_cast<size_t>(h));
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// A standard icon drawn the way the box draws it, on the given background.
std::vector<std::uint32_t> RenderIcon(LPCSTR id, int w, int h, std::uint32_t background) {
    std::vector<std::uint32_t> pixels;
    HICON icon = LoadIconA(nullptr, id);
    if (!icon) return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        auto* p = static_cast<std::uint32_t*>(bits);
        std::fill(p, p + static_cast<size_t>(w) * static_cast<size_t>(h), background);
        DrawIconEx(memory, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
        GdiFlush();
        pixels.assign(p, p + static_cast<size_t>(w) * static_cast<size_t>(h));
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Which standard icon a box shows. Another process's icon handle cannot be read under Wine, so
// the control's pixels on the screen are compared with the standard icons drawn here; the box
// may not be painted yet when it appears, hence the retries.
std::string IconKind(HWND control) {
    struct Kind {
        LPCSTR id;
        const char* name;
    };
    static const Kind kinds[] = {{IDI_EXCLAMATION, "exclamation"},
                                 {IDI_ASTERISK, "information"},
                                 {IDI_QUESTION, "question"},
                                 {IDI_HAND, "error"}};
    RECT r;
    if (!GetClientRect(control, &r)) return "unknown";
    MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&r), 2);
    int w = r.right - r.left, h = r.bottom - r.top;
    for (int attempt = 0; attempt < 25; ++attempt) {
        if (attempt > 0) Sleep(20);
        std::vector<std::uint32_t> shown = CaptureScreen(r);
        if (shown.empty()) return "unknown";
        std::uint32_t background = shown.front() & 0xFFFFFFu;
        for (const Kind& kind : kinds) {
            std::vector<std::uint32_t> drawn = RenderIcon(kind.id, w, h, background);
            if (drawn.size() != shown.size()) continue;
            size_t differing = 0, icon_pixels = 0;
            for (size_t i = 0; i < drawn.size(); ++i) {
                bool is_icon = (drawn[i] & 0xFFFFFFu) != background;
                icon_pixels += is_icon;
                differing += (drawn[i] & 0xFFFFFFu) != (shown[i] & 0xFFFFFFu);
            }
            // Nearly every pixel the same, and the icon itself made of many pixels.
            if (icon_pixels > drawn.size() / 4 && differing * 50 < drawn.size()) return kind.name;
        }
    }
    return "unknown";
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto* look = reinterpret_cast<DialogLook*>(param);
    if (!IsShown(child)) return TRUE;
    std::wstring cls = ClassOf(child);
    LONG style = GetWindowLongW(child, GWL_STYLE);
    if (_wcsicmp(cls.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        // Wine keeps the icon control of a box without icon, empty: ask it for its icon.
        DWORD_PTR icon = 0;
        SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 1000, &icon);
        if (icon != 0) {
            look->icon = true;
            look->icon_control = child;
        }
    } else if (_wcsicmp(cls.c_str(), L"Button") == 0) {
        look->buttons.push_back(GetDlgCtrlID(child));
    }
    return TRUE;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<std::vector<HWND>*>(param);
    if (ClassOf(window) == kDialogClass && IsShown(window)) found->push_back(window);
    return TRUE;
}

bool Has(const std::vector<int>& ids, int id) {
    for (int x : ids)
        if (x == id) return true;
    return false;
}

// Records one box and presses the next scripted answer (or closes it as unscripted).
void Handle(HWND dialog, std::vector<std::string>& answers, size_t& next_answer) {
    DialogLook look;
    EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&look));
    std::string title = TextOf(dialog);
    std::string text = TextOf(GetDlgItem(dialog, kMessageTextId));
    std::string icon_kind = look.icon_control ? IconKind(look.icon_control) : "none";

    int press = 0;
    bool scripted = next_answer < answers.size();
    bool mismatch = false;
    if (scripted) {
        press = IdOf(answers[next_answer++]);
        // A scripted button the box does not show would end it with a result no user could
        // give: close it as if unscripted and report the mismatch.
        if (!Has(look.buttons, press)) {
            mismatch = true;
            press = 0;
        }
    }
    if (press == 0) {
        for (int fallback : {IDCANCEL, IDOK, IDNO}) {
            if (Has(look.buttons, fallback)) {
                press = fallback;
                break;
            }
        }
        if (press == 0) press = look.buttons.empty() ? IDCANCEL : look.buttons.front();
    }

    std::string buttons;
    for (int id : look.buttons) {
        if (!buttons.empty()) buttons += ',';
        const char* name = NameOf(id);
        buttons += name ? name : std::to_string(id);
    }
    char styles[64];
    std::snprintf(styles, sizeof styles, "style=%08lx exstyle=%08lx",
                  static_cast<unsigned long>(GetWindowLongW(dialog, GWL_STYLE)),
                  static_cast<unsigned long>(GetWindowLongW(dialog, GWL_EXSTYLE)));
    const char* pressed = NameOf(press);
    Emit("DIALOG title=" + Hex(title) + " text=" + Hex(text) + " icon=" + (look.icon ? "1" : "0") +
         " icon_kind=" + icon_kind + " buttons=" + buttons + " " + styles + " pressed=" +
         (pressed ? pressed : "?") + " scripted=" + ((scripted && !mismatch) ? "1" : "0") +
         " mismatch=" + (mismatch ? "1" : "0"));
    PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(press), 0);
}

std::vector<std::string> SplitAnswers(const std::string& list) {
    std::vector<std::string> out;
    std::string current;
    for (char c : list) {
        if (c == ',') {
            if (!current.empty()) out.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
    }
    if (!current.empty()) out.push_back(current);
    return out;
}

bool ReadWholeFile(const std::string& path, std::string* out) {
    kit::UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    out->clear();
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        out->append(buffer, got);
    return true;
}

void MakeInheritable(DWORD which) {
    HANDLE h = GetStdHandle(which);
    if (h && h != INVALID_HANDLE_VALUE) SetHandleInformation(h, HANDLE_FLAG_INHERIT, 1);
}

}  // namespace

int main(int argc, char** argv) {
    DWORD timeout_ms = 30000;
    std::vector<std::string> answers;
    std::string command_line, directory;
    bool have_command = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool has_value = i + 1 < argc;
        if (arg == "--timeout" && has_value) {
            timeout_ms = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--answers" && has_value) {
            answers = SplitAnswers(argv[++i]);
        } else if (arg == "--cwd" && has_value) {
            if (!Unhex(argv[++i], &directory)) return Emit("ERROR bad-cwd 0"), 2;
        } else if (arg == "--cmd" && has_value) {
            if (!Unhex(argv[++i], &command_line)) return Emit("ERROR bad-cmd 0"), 2;
            have_command = true;
        } else if (arg == "--cmd-file" && has_value) {
            if (!ReadWholeFile(argv[++i], &command_line)) return Emit("ERROR bad-cmd-file 0"), 2;
            have_command = true;
        } else {
            Emit("ERROR usage 0");
            return 2;
        }
    }
    if (!have_command) return Emit("ERROR usage 0"), 2;
    for (const auto& a : answers)
        if (IdOf(a) == 0) return Emit("ERROR bad-answer 0"), 2;

    MakeInheritable(STD_INPUT_HANDLE);
    MakeInheritable(STD_OUTPUT_HANDLE);
    MakeInheritable(STD_ERROR_HANDLE);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info = {};
    // The program and whatever it starts belong to one job, so that a time-out ends them all.
    kit::UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                sizeof limits);
    }
    std::vector<char> mutable_line(command_line.begin(), command_line.end());
    mutable_line.push_back('\0');
    if (!CreateProcessA(nullptr, mutable_line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                        nullptr, directory.empty() ? nullptr : directory.c_str(), &startup,
                        &info)) {
        Emit("ERROR start-failed " + std::to_string(GetLastError()));
        return 3;
    }
    kit::UniqueHandle process(info.hProcess);
    kit::UniqueHandle thread(info.hThread);
    bool in_job = job && AssignProcessToJobObject(job.get(), process.get());
    ResumeThread(thread.get());

    std::vector<HWND> handled;  // boxes already answered, until they are gone
    size_t next_answer = 0;
    ULONGLONG start = GetTickCount64();
    for (;;) {
        DWORD waited = WaitForSingleObject(process.get(), kPollMs);
        if (waited == WAIT_OBJECT_0) break;
        if (GetTickCount64() - start >= timeout_ms) {
            if (in_job) TerminateJobObject(job.get(), 1);
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), 5000);
            Emit("TIMEOUT " + std::to_string(timeout_ms));
            return 0;
        }
        std::erase_if(handled, [](HWND h) { return !IsWindow(h) || !IsShown(h); });
        std::vector<HWND> found;
        EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&found));
        for (HWND dialog : found) {
            bool known = false;
            for (HWND h : handled) known = known || h == dialog;
            if (known) continue;
            handled.push_back(dialog);
            Handle(dialog, answers, next_answer);
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    Emit("EXIT " + std::to_string(code));
    return 0;
}
