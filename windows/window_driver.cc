// Drives marvoset.exe from outside, as a user would: starts it, finds its
// window and controls, checks the layout and the focus order, fills the
// boxes, ticks the check box, presses the buttons, answers the message boxes,
// reads the clipboard and closes the window with Esc. Runs under Wine and on
// Windows; prints "N passed, N failed" and exits non-zero on any failure.
//
// Kept to what Wine and Windows both do: control rectangles are compared in
// client coordinates (the frame's size is the window manager's under Wine),
// message box parts are found by their control kind rather than by the
// identifiers each system's dialog template gives them, and text is put into
// the rich edit boxes with WM_SETTEXT, not typed (Wine's rich edit takes
// typed Chinese only through an input method).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "convert/codec.h"
#include "convert/converter.h"

namespace {

int g_passed = 0;
int g_failed = 0;

void Check(bool ok, const std::string& what) {
  if (ok) {
    ++g_passed;
  } else {
    ++g_failed;
    std::printf("FAILED: %s\n", what.c_str());
    std::fflush(stdout);
  }
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring Wide(std::string_view gb18030) {
  const std::u16string units = marvoset::Gb18030ToUtf16(gb18030);
  return std::wstring(units.begin(), units.end());
}

std::string Gb(const std::wstring& text) {
  return marvoset::Utf16ToGb18030(std::u16string(text.begin(), text.end()));
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds = 10000) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
  while (GetTickCount64() < deadline) {
    if (condition()) return true;
    Sleep(20);
  }
  return condition();
}

std::wstring WindowText(HWND hwnd) {
  const LRESULT n = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  const LRESULT got =
      SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(got));
  return text;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

struct Program {
  PROCESS_INFORMATION process = {};
  HWND window = nullptr;
  HWND control[10] = {};  // by identifier - 100
};

enum Id {
  kSogouBox = 1,
  kQqBox,
  kResultLabel,
  kResultBox,
  kMerge,
  kSogouLabel,
  kQqLabel,
  kQqToSogou,
  kSogouToQq
};

HWND Focused(const Program& p) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(p.process.dwThreadId, &info);
  return info.hwndFocus;
}

void PressKey(WORD key, bool shift) {
  std::vector<INPUT> inputs;
  auto add = [&](WORD vk, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  };
  if (shift) add(VK_SHIFT, false);
  add(key, false);
  add(key, true);
  if (shift) add(VK_SHIFT, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool Start(Program& p, const std::wstring& exe) {
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  std::wstring command = L"\"" + exe + L"\"";
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &p.process)) {
    return false;
  }
  // The first start in a fresh Wine prefix on a busy machine can take a
  // while: Wine loads the rich edit library and the fonts then.
  WaitForInputIdle(p.process.hProcess, 60000);
  WaitFor(
      [&] {
        p.window = FindWindowW(L"MarvosetMainWindow", L"Marvoset");
        return p.window != nullptr && IsWindowVisible(p.window);
      },
      60000);
  if (p.window == nullptr) return false;
  for (int id = 1; id <= 9; ++id) p.control[id] = GetDlgItem(p.window, 100 + id);
  return true;
}

// The visible top-level dialog (a message box) of the program, if any.
HWND FindMessageBox(const Program& p) {
  struct Search {
    DWORD pid;
    HWND found;
  } search{p.process.dwProcessId, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == s->pid && IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32770") {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct BoxContent {
  std::wstring title;
  std::wstring text;
  bool stop_icon = false;
};

BoxContent ReadMessageBox(HWND box) {
  BoxContent content;
  content.title = WindowText(box);
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) != L"Static" || !IsWindowVisible(child)) continue;
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
      const HICON icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
      // The icon handle itself differs between systems; that one is shown is what counts.
      content.stop_icon = icon != nullptr;
    } else if (!WindowText(child).empty()) {
      content.text = WindowText(child);
    }
  }
  return content;
}

// Answers the message box with its OK button and waits until it is gone.
bool AnswerMessageBox(HWND box) {
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); });
}

bool SetClipboardText(const std::wstring& text) {
  if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; })) return false;
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(memory), text.c_str(), bytes);
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
  return true;
}

bool ReadClipboard(std::wstring& unicode, std::string& ansi) {
  if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; })) return false;
  unicode.clear();
  ansi.clear();
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
    unicode = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  if (HANDLE data = GetClipboardData(CF_TEXT); data != nullptr) {
    ansi = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return true;
}

void CheckLayout(const Program& p) {
  RECT rect;
  GetWindowRect(p.window, &rect);
  const int left = (GetSystemMetrics(SM_CXSCREEN) - 600) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - 650) / 2;
  Check(rect.right - rect.left == 600 && rect.bottom - rect.top == 650,
        "window outer size 600x650, got " + std::to_string(rect.right - rect.left) + "x" +
            std::to_string(rect.bottom - rect.top));
  Check(rect.left == left && rect.top == top,
        "window centred at " + std::to_string(left) + "," + std::to_string(top) + ", got " +
            std::to_string(rect.left) + "," + std::to_string(rect.top));
  Check(WindowText(p.window) == L"Marvoset", "caption");
  const LONG style = GetWindowLongW(p.window, GWL_STYLE);
  Check((style & WS_SYSMENU) && !(style & WS_THICKFRAME) && !(style & WS_MINIMIZEBOX) &&
            !(style & WS_MAXIMIZEBOX),
        "fixed frame, system menu and close button only");

  struct Expected {
    int id;
    const wchar_t* cls;
    int left, top, width, height;
    const wchar_t* text;
  };
  const Expected expected[] = {
      {kSogouBox, L"RichEdit20W", 298, 21, 287, 416, L""},
      {kQqBox, L"RichEdit20W", 7, 21, 287, 416, L""},
      {kResultLabel, L"Static", 248, 472, 88, 16, L"返回结果   ↓"},
      {kResultBox, L"Edit", 8, 490, 576, 120, L""},
      {kMerge, L"Button", 52, 451, 72, 16, L"合并"},
      {kSogouLabel, L"Static", 301, 0, 120, 24, L"搜狗拼音   ↓"},
      {kQqLabel, L"Static", 10, 0, 120, 24, L"QQ拼音   ↓"},
      {kQqToSogou, L"Button", 160, 444, 112, 24, L"QQ拼音转搜狗"},
      {kSogouToQq, L"Button", 304, 444, 112, 24, L"搜狗转QQ拼音"},
  };
  HWND previous = nullptr;
  for (const Expected& e : expected) {
    const HWND c = p.control[e.id];
    const std::string name = "control " + std::to_string(100 + e.id);
    Check(c != nullptr, name + " exists");
    if (c == nullptr) continue;
    Check(ClassOf(c) == e.cls, name + " class " + Utf8(e.cls) + ", got " + Utf8(ClassOf(c)));
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, p.window, reinterpret_cast<POINT*>(&r), 2);
    Check(r.left == e.left && r.top == e.top && r.right - r.left == e.width &&
              r.bottom - r.top == e.height,
          name + " rectangle, got " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
              std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
    Check(WindowText(c) == e.text,
          name + " text '" + Utf8(e.text) + "', got '" + Utf8(WindowText(c)) + "'");
    Check(IsWindowVisible(c) && IsWindowEnabled(c), name + " visible and enabled");
    // Stacking: each row lies below the one before it.
    if (previous != nullptr) Check(GetWindow(previous, GW_HWNDNEXT) == c, name + " stacking");
    previous = c;
  }
  const LONG check_style = GetWindowLongW(p.control[kMerge], GWL_STYLE);
  Check((check_style & BS_TYPEMASK) == BS_AUTOCHECKBOX, "merge check box is automatic");
  for (int id : {kQqToSogou, kSogouToQq}) {
    Check((GetWindowLongW(p.control[id], GWL_STYLE) & BS_TYPEMASK) == BS_PUSHBUTTON,
          "buttons are not default buttons");
  }
  Check(SendMessageW(p.control[kMerge], BM_GETCHECK, 0, 0) == BST_UNCHECKED,
        "merge not ticked at start");
}

void CheckFocusOrder(const Program& p) {
  SetForegroundWindow(p.window);
  Check(WaitFor([&] { return Focused(p) == p.control[kSogouToQq]; }), "focus on 按钮1 at start");
  const int forward[] = {kQqToSogou, kMerge, kResultBox, kQqBox, kSogouBox, kSogouToQq};
  for (int id : forward) {
    PressKey(VK_TAB, false);
    Check(WaitFor([&] { return Focused(p) == p.control[id]; }, 3000),
          "Tab reaches control " + std::to_string(100 + id));
  }
  const int backward[] = {kSogouBox, kQqBox, kResultBox, kMerge, kQqToSogou, kSogouToQq};
  for (int id : backward) {
    PressKey(VK_TAB, true);
    Check(WaitFor([&] { return Focused(p) == p.control[id]; }, 3000),
          "Shift+Tab reaches control " + std::to_string(100 + id));
  }
  // Tab in a rich text box moves on and leaves its text alone.
  SendMessageW(p.control[kQqBox], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
  for (int i = 0; i < 4; ++i) PressKey(VK_TAB, false);  // 按钮1 to the QQ box
  WaitFor([&] { return Focused(p) == p.control[kQqBox]; }, 3000);
  PressKey(VK_TAB, false);
  Check(WaitFor([&] { return Focused(p) == p.control[kSogouBox]; }, 3000) &&
            WindowText(p.control[kQqBox]) == L"abc",
        "Tab in a rich text box moves on without inserting a tab");
  SendMessageW(p.control[kQqBox], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
}

struct Case {
  const char* name;
  int button;  // kQqToSogou or kSogouToQq
  bool merge;
  std::wstring qq, sogou, result;  // box contents before the click
  bool hold_clipboard;             // the driver keeps the clipboard open
  // Expected afterwards.
  std::wstring want_qq, want_sogou, want_result;
  bool want_error;
  std::wstring want_text;
  bool want_clipboard;  // the clipboard holds want_clip (else the sentinel)
  std::wstring want_clip;
};

const std::wstring kSentinel = L"剪贴板原有内容";
const std::wstring kCopied = L"已复制，粘贴即可。";
const std::wstring kNotQq = L"不是QQ拼音自定义短语或者内容还未导入,请导入！";
const std::wstring kNotSogou = L"不是搜狗拼音自定义短语或者内容还未导入,请导入！";
const std::wstring kNoClipboard =
    Wide(marvoset::Utf16ToGb18030(u"未能放到剪贴板上，请从文本框中手动复制。"));
const std::wstring kToSogouSeparator = L"\r\n;  ----------下面为搜狗拼音---------\r\n";
const std::wstring kToQqSeparator = L"\r\n;  ----------下面为QQ拼音---------\r\n";

std::wstring ConvertedToSogou(const std::wstring& qq) {
  return Wide(marvoset::ConvertQqToSogou(Gb(qq)));
}

std::wstring LongQqList() {
  std::wstring list;
  for (int i = 0; list.size() < 500000; ++i) {
    list += L"k" + std::to_wstring(i) + L"=" + std::to_wstring(i % 10) + L",北京市海淀区第" +
            std::to_wstring(i) + L"号\r\n";
  }
  return list;
}

void RunCase(const Program& p, const Case& c) {
  const std::string name = std::string("case ") + c.name + ": ";
  SendMessageW(p.control[kQqBox], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.qq.c_str()));
  SendMessageW(p.control[kSogouBox], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.sogou.c_str()));
  SendMessageW(p.control[kResultBox], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.result.c_str()));
  if ((SendMessageW(p.control[kMerge], BM_GETCHECK, 0, 0) == BST_CHECKED) != c.merge) {
    SendMessageW(p.control[kMerge], BM_CLICK, 0, 0);  // ticks or clears it as a click does
  }
  Check((SendMessageW(p.control[kMerge], BM_GETCHECK, 0, 0) == BST_CHECKED) == c.merge,
        name + "merge state");
  SetClipboardText(kSentinel);
  if (c.hold_clipboard) {
    // Held by a window of our own: Wine refuses a second opener only when
    // the windows differ, Windows whenever another task has it open.
    static const HWND holder =
        CreateWindowExW(0, L"Static", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    Check(WaitFor([] { return OpenClipboard(holder) != FALSE; }), name + "driver holds clipboard");
  }

  PostMessageW(p.control[c.button], BM_CLICK, 0, 0);
  HWND box = nullptr;
  Check(WaitFor([&] { return (box = FindMessageBox(p)) != nullptr; }, 30000),
        name + "a message box appears");
  if (c.hold_clipboard) CloseClipboard();
  if (box == nullptr) return;
  const BoxContent content = ReadMessageBox(box);
  Check(content.title == (c.want_error ? L"错误：" : L"信息："),
        name + "message title, got '" + Utf8(content.title) + "'");
  Check(content.text == c.want_text, name + "message text, got '" + Utf8(content.text) + "'");
  Check(content.stop_icon == c.want_error, name + "stop icon exactly on errors");
  Check(AnswerMessageBox(box), name + "message box answered");
  Check(WaitFor([&] { return FindMessageBox(p) == nullptr; }, 5000), name + "no second message");

  Check(WindowText(p.control[kQqBox]) == c.want_qq, name + "QQ box");
  Check(WindowText(p.control[kSogouBox]) == c.want_sogou, name + "Sogou box");
  Check(WindowText(p.control[kResultBox]) == c.want_result, name + "result box");
  std::wstring unicode;
  std::string ansi;
  Check(ReadClipboard(unicode, ansi), name + "clipboard readable");
  const std::wstring want_clip = c.want_clipboard ? c.want_clip : kSentinel;
  Check(unicode == want_clip, name + "clipboard text (" + std::to_string(unicode.size()) +
                                  " units, want " + std::to_string(want_clip.size()) + ")");
  // CF_TEXT is derived in the ANSI code page 936: the GBK bytes where GBK
  // has every character, the system's default character elsewhere.
  if (want_clip.size() < 4096) {
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(936, 0, want_clip.c_str(), -1, nullptr, 0, nullptr, &lossy);
    std::string derived(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(936, 0, want_clip.c_str(), -1, derived.data(), n, nullptr, nullptr);
    derived.resize(derived.size() - 1);
    Check(ansi == derived, name + "CF_TEXT is the ANSI form");
    if (!lossy) Check(ansi == Gb(want_clip), name + "CF_TEXT holds the GBK bytes");
  }
}

std::vector<Case> Cases() {
  const std::wstring qq = L"dz=1,北京市海淀区\r\nbj=2,北京\r\n";
  const std::wstring sogou = L"dz,1=北京市海淀区\r\nbj,2=北京\r\n";
  const std::wstring rare = L"xx=1,\U00020000\u00A0\U0001F600\r\n";  // outside GBK
  const std::wstring rare_sogou = L"xx,1=\U00020000\u00A0\U0001F600\r\n";
  const std::wstring big = LongQqList();
  const std::wstring big_sogou = ConvertedToSogou(big);
  std::vector<Case> cases = {
      {"QqToSogou", kQqToSogou, false, qq, L"old", L"", false, qq, sogou, L"", false, kCopied, true,
       sogou},
      {"SogouToQq", kSogouToQq, false, L"old", sogou, L"", false, qq, sogou, L"", false, kCopied,
       true, qq},
      {"QqToSogouMerge", kQqToSogou, true, qq, L"zz,9=旧\r\n", L"", false, qq, L"zz,9=旧\r\n",
       sogou + kToSogouSeparator + L"zz,9=旧\r\n", false, kCopied, true,
       sogou + kToSogouSeparator + L"zz,9=旧\r\n"},
      {"SogouToQqMerge", kSogouToQq, true, L"", sogou, L"", false, L"", sogou, qq + kToQqSeparator,
       false, kCopied, true, qq + kToQqSeparator},
      {"EmptySourceIsAnError", kQqToSogou, false, L"", L"keep", L"", false, L"", L"keep", L"", true,
       kNotQq, false, L""},
      {"WrongKindIsAnError", kSogouToQq, false, L"", qq, L"", false, L"", qq, L"", true, kNotSogou,
       false, L""},
      // Merge with a source that is not a list: the same error, nothing written.
      {"MergeWrongKindIsAnError", kQqToSogou, true, sogou, L"keep", L"before", false, sogou,
       L"keep", L"before", true, kNotQq, false, L""},
      {"MergeEmptySourceIsAnError", kSogouToQq, true, L"x", L"", L"before", false, L"x", L"",
       L"before", true, kNotSogou, false, L""},
      // The clipboard cannot be opened: say so; the converted text stays.
      {"ClipboardBusy", kQqToSogou, false, qq, L"", L"", true, qq, sogou, L"", true, kNoClipboard,
       false, L""},
      {"OutsideGbk", kQqToSogou, false, rare, L"", L"", false, rare, rare_sogou, L"", false,
       kCopied, true, rare_sogou},
      {"LongList", kQqToSogou, false, big, L"", L"", false, big, big_sogou, L"", false, kCopied,
       true, big_sogou},
  };
  return cases;
}

}  // namespace

// The application icon: marvoset.exe carries icon group 1 (what Explorer,
// the task bar and the window's caption show) with a 16, a 32 and a 48 pixel
// image, each of them a resource of its own. The running window's icons are
// not checked: under Wine another process reads neither them (WM_GETICON
// answers 0) nor the class's (GetClassLongPtrW with GCLP_HICON and
// GCLP_HICONSM fails with ERROR_INVALID_HANDLE), where Windows gives both.
void CheckIcons(const wchar_t* exe) {
  const HMODULE module =
      LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  Check(module != nullptr, "marvoset.exe loads as a resource file");
  if (module == nullptr) return;
  const HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
  Check(group != nullptr, "marvoset.exe has icon group 1");
  const auto* data =
      group ? static_cast<const BYTE*>(LockResource(LoadResource(module, group))) : nullptr;
  const DWORD data_size = group ? SizeofResource(module, group) : 0;
  // The group: a 6-byte header (reserved, type 1, count), then 14-byte
  // entries (width, height, colours, reserved, planes, bits, bytes, id).
  const int count = data && data_size >= 6 ? data[4] | data[5] << 8 : 0;
  for (int size : {16, 32, 48}) {
    bool found = false;
    for (int i = 0; i < count && 6 + 14 * (i + 1) <= static_cast<int>(data_size); ++i) {
      const BYTE* entry = data + 6 + 14 * i;
      if (entry[0] != size || entry[1] != size) continue;
      const int id = entry[12] | entry[13] << 8;
      const HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), RT_ICON);
      found = image != nullptr && SizeofResource(module, image) > 0;
    }
    Check(found,
          "icon group 1 has a " + std::to_string(size) + "x" + std::to_string(size) + " image");
  }
  FreeLibrary(module);
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::printf("usage: window_driver PATH\\marvoset.exe\n");
    return 2;
  }
  std::printf("ANSI code page %u\n", GetACP());
  Check(GetACP() == 936, "ANSI code page 936");
  if (GetACP() != 936) {
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return 1;
  }
  Program p;
  Check(Start(p, argv[1]), "marvoset.exe starts and shows its window");
  if (p.window == nullptr) {
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return 1;
  }
  CheckLayout(p);
  CheckIcons(argv[1]);
  CheckFocusOrder(p);
  for (const Case& c : Cases()) RunCase(p, c);

  // A box the program writes reads back through the rich edit as written.
  SetForegroundWindow(p.window);
  SetFocus(p.control[kQqBox]);
  // On a loaded machine the last message box may still be going away: wait
  // until the window is in front again, or the key would go elsewhere.
  for (int i = 0; i < 100 && GetForegroundWindow() != p.window; ++i) {
    Sleep(100);
    SetForegroundWindow(p.window);
  }
  PressKey(VK_ESCAPE, false);
  Check(WaitForSingleObject(p.process.hProcess, 30000) == WAIT_OBJECT_0, "Esc closes the window");
  DWORD status = 1;
  GetExitCodeProcess(p.process.hProcess, &status);
  Check(status == 0, "exit status 0, got " + std::to_string(status));
  if (status == STILL_ACTIVE) TerminateProcess(p.process.hProcess, 1);
  std::printf("%d passed, %d failed\n", g_passed, g_failed);
  return g_failed == 0 ? 0 : 1;
}
