// The confirmation window as the Windows module shows it, run under Wine by
// confirm_window_test.sh, which presses the keys. The card is taken out and
// put back through the simulated service while the window waits.
//
//   confirm_window.exe ok|enter-on-cancel|cancel|timeout
//
// ok: the card moves, the person tabs to OK and presses Enter; the window
// must answer OK. enter-on-cancel: the card moves, the person presses Enter
// with the focus still on Cancel, where the window put it; Cancel.
// cancel: the person presses Escape; Cancel.
// timeout: the card moves but nobody confirms; the time limit is cut to a few
// seconds, the time-out box comes, and the window answers Cancel.
// accessible: at the first tick the program looks at its own window as
// assistive technology does: Tab stops only at the enabled button, the
// controls follow the template's order (each row's caption right before its
// value, as screen readers read a dialog), and the window is per-monitor DPI
// aware; it prints the names an accessibility client reads (Wine's oleacc
// leaves out the names the window sets as dynamic annotations, so they are
// printed, not checked) and cancels.
// The program prints "OK enabled" once the window's second phase has begun.
// Exit status 0 when the answer is the expected one.

#include <initguid.h>
#include <oleacc.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/default_user_interface.h"
#include "platform/modal_dialog.h"
#include "reader/atr_text.h"
#include "reader/reader_operations.h"
#include "sim/service/simulated_pcsc.h"
#include "txn/txn_confirm_dlg.h"

namespace {

constexpr const char* kReader = "Kestrova Virtual Reader 0";
constexpr int kShortenedSeconds = 3;
constexpr std::uint32_t kConfirmTimer = 0x2004;  // runs once OK has been enabled

// The page names the OK button but not Cancel, as the sample page did.
constexpr const char* kMessage =
    "<Tag1>Kestrova</Tag1><Tag2>OK</Tag2><Tag6>From</Tag6><Tag7>To</Tag7><Tag8>Amount</Tag8>";

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wcscmp(className, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(std::strlen(out.c_str()));
    return out;
}

// What an accessibility client reads as the control's name.
std::string AccessibleName(HWND control) {
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible)))) {
        return "(none)";
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::string text =
        SUCCEEDED(accessible->get_accName(self, &name)) && name != nullptr ? Utf8(name) : "";
    SysFreeString(name);
    accessible->Release();
    return text;
}

// Prints what it sees; true when it is what the window should offer.
bool LookAtTheWindow() {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) {
        std::printf("no dialog window\n");
        return false;
    }
    bool good = true;
    // Tab goes through the template's buttons in its order, skipping the
    // disabled OK; the statics are no stops.
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    std::printf("tab stops:");
    HWND stop = first;
    int stops = 0;
    do {
        std::printf(" %d", GetDlgCtrlID(stop));
        stop = GetNextDlgTabItem(dialog, stop, FALSE);
        ++stops;
    } while (stop != nullptr && stop != first && stops < 20);
    std::printf("\n");
    good = good && stops == 1 && GetDlgCtrlID(first) == 2;
    // Children in template order: each row's caption right before its value.
    std::printf("children:");
    int previous = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        std::printf(" %d", id);
        good = good && id > previous;
        previous = id;
    }
    std::printf("\n");
    for (int id : {1, 2, 203}) {
        std::printf("name %d: %s\n", id, AccessibleName(GetDlgItem(dialog, id)).c_str());
    }
    using GetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
    using SameContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto getContext = reinterpret_cast<GetContext>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    const auto same = reinterpret_cast<SameContext>(
        reinterpret_cast<void*>(GetProcAddress(user32, "AreDpiAwarenessContextsEqual")));
    if (getContext != nullptr && same != nullptr) {
        const DPI_AWARENESS_CONTEXT context = getContext(dialog);
        const bool perMonitor =
            same(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) != FALSE ||
            same(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE) != FALSE;
        std::printf("per-monitor DPI aware: %s\n", perMonitor ? "yes" : "no");
        good = good && perMonitor;
    }
    return good;
}

class MovingCardDialog final : public kestrova::CTxnConfirmDlg {
  public:
    MovingCardDialog(kestrova::platform::UserInterface& ui, bool moveCard, bool shortClock,
                     bool look)
        : CTxnConfirmDlg(ui), moveCard_(moveCard), shortClock_(shortClock), look_(look) {}

    bool LookedWell() const { return lookedWell_; }

    void OnInitDialog(kestrova::platform::DialogWindow& window) override {
        CTxnConfirmDlg::OnInitDialog(window);
        if (shortClock_) {
            m_secondsLeft = kShortenedSeconds;
        }
    }

    // Out before the first poll; back in once a poll has seen it gone.
    void OnTimer(kestrova::platform::DialogWindow& window, std::uint32_t timerId) override {
        if (look_) {
            lookedWell_ = LookAtTheWindow();
            std::fflush(stdout);
            OnCancel(window);
            return;
        }
        if (moveCard_ && !removed_) {
            removed_ = kestrova::sim::RemoveCard(kReader);
        } else if (removed_ && !inserted_ && m_absentPolls > 0) {
            inserted_ = kestrova::sim::InsertCard(kReader);
        }
        CTxnConfirmDlg::OnTimer(window, timerId);
        if (timerId == kConfirmTimer && !announced_) {
            announced_ = true;
            std::printf("OK enabled\n");
            std::fflush(stdout);
        }
    }

  private:
    bool moveCard_;
    bool shortClock_;
    bool removed_ = false;
    bool inserted_ = false;
    bool announced_ = false;
    bool look_;
    bool lookedWell_ = false;
};

void Fill(std::array<char, 20>& field, const char* text) {
    std::strncpy(field.data(), text, field.size() - 1);
}

}  // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    const bool ok = std::strcmp(mode, "ok") == 0;
    const bool enterOnCancel = std::strcmp(mode, "enter-on-cancel") == 0;
    const bool timeout = std::strcmp(mode, "timeout") == 0;
    const bool look = std::strcmp(mode, "accessible") == 0;
    if (!ok && !enterOnCancel && !timeout && !look && std::strcmp(mode, "cancel") != 0) {
        std::fprintf(stderr,
                     "usage: confirm_window ok|enter-on-cancel|cancel|timeout|accessible\n");
        return 2;
    }
    std::int32_t slot = 0;
    std::int32_t readers = 0;
    std::int32_t atrLength = 0;
    kestrova::AtrText atr{};
    if (const std::int32_t opened = kestrova::OpenCard(kReader, slot, readers, atrLength, atr);
        opened != 0) {
        std::fprintf(stderr, "OpenCard failed: %d\n", static_cast<int>(opened));
        return 1;
    }
    MovingCardDialog dialog(kestrova::platform::DefaultUserInterface(),
                            ok || enterOnCancel || timeout, timeout, look);
    dialog.m_slot = slot;
    dialog.m_msg = look ? kMessage : nullptr;
    dialog.m_rowCount = 3;
    Fill(dialog.m_rowValue[0], "0012345678901");
    Fill(dialog.m_rowValue[1], "9876543210987");
    Fill(dialog.m_rowValue[2], "1,234");
    const std::int32_t answer = dialog.DoModal();
    const std::int32_t expected =
        ok ? kestrova::platform::kDialogOk : kestrova::platform::kDialogCancel;
    std::printf("answer %d\n", static_cast<int>(answer));
    return answer == expected && (!look || dialog.LookedWell()) ? 0 : 1;
}
