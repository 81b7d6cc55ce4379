#include "platform/win32/dialog_template_memory.h"

#include <string>

#include "platform/code_page.h"

namespace kestrova::platform {
namespace {

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kStaticClass = 0x0082;
constexpr int kStatusLineHeight = 10;
constexpr int kMargin = 7;

// Appends words to a byte-exact template; items start on DWORD boundaries.
class TemplateWriter {
  public:
    void Word(WORD value) { words_.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Short(int value) { Word(static_cast<WORD>(static_cast<short>(value))); }
    void Text(std::string_view ansi) {
        for (const char16_t unit : AnsiToUtf16(ansi)) {
            Word(static_cast<WORD>(unit));
        }
        Word(0);
    }
    void AlignDword() {
        if (words_.size() % 2 != 0) {
            Word(0);
        }
    }
    std::vector<DWORD> Finish() {
        AlignDword();
        std::vector<DWORD> out(words_.size() / 2);
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] =
                static_cast<DWORD>(words_[2 * i]) | (static_cast<DWORD>(words_[2 * i + 1]) << 16);
        }
        return out;
    }

  private:
    std::vector<WORD> words_;
};

struct ItemStyle {
    DWORD style;
    WORD windowClass;
};

ItemStyle StyleOf(const DialogItem& item) {
    const DWORD sunken = item.sunkenEdge ? SS_SUNKEN : 0;
    switch (item.kind) {
        case DialogItemKind::DefaultPushButton:
            return {BS_DEFPUSHBUTTON | WS_TABSTOP, kButtonClass};
        case DialogItemKind::PushButton:
            return {BS_PUSHBUTTON | WS_TABSTOP, kButtonClass};
        case DialogItemKind::StaticCentred:
            return {SS_CENTER | SS_CENTERIMAGE | sunken, kStaticClass};
        case DialogItemKind::StaticLeft:
            return {SS_LEFT | SS_CENTERIMAGE | sunken, kStaticClass};
        case DialogItemKind::StaticTopLeft:
            return {SS_LEFT | sunken, kStaticClass};
    }
    return {SS_LEFT, kStaticClass};
}

void WriteItem(TemplateWriter& writer, const DialogItem& item) {
    const ItemStyle style = StyleOf(item);
    writer.AlignDword();
    writer.Dword(WS_CHILD | WS_VISIBLE | style.style);
    writer.Dword(0);
    writer.Short(item.place.x);
    writer.Short(item.place.y);
    writer.Short(item.place.width);
    writer.Short(item.place.height);
    writer.Word(static_cast<WORD>(item.id));
    writer.Word(0xFFFF);
    writer.Word(style.windowClass);
    writer.Text(item.text);
    writer.Word(0);
}

}  // namespace

std::vector<DWORD> BuildDialogTemplateMemory(const DialogTemplate& dialog) {
    DialogItem status;
    status.id = kStatusLineId;
    status.kind = DialogItemKind::StaticLeft;
    status.place = {kMargin, dialog.size.height, dialog.size.width - 2 * kMargin,
                    kStatusLineHeight};

    TemplateWriter writer;
    writer.Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    writer.Dword(0);
    writer.Word(static_cast<WORD>(dialog.items.size() + 1));
    writer.Short(0);
    writer.Short(0);
    writer.Short(dialog.size.width);
    writer.Short(dialog.size.height + kStatusLineHeight + 2);
    writer.Word(0);  // no menu
    writer.Word(0);  // the system's dialog class
    writer.Text(dialog.caption);
    writer.Word(static_cast<WORD>(dialog.fontPoints));
    writer.Text(dialog.fontFace);
    for (const DialogItem& item : dialog.items) {
        WriteItem(writer, item);
    }
    WriteItem(writer, status);
    return writer.Finish();
}

}  // namespace kestrova::platform
