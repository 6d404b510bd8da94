#include "windows/main_window.h"

#include <richedit.h>

#include <cstring>
#include <string>

#include "convert/codec.h"

namespace marvoset {
namespace {

constexpr int kWindowWidth = 600;
constexpr int kWindowHeight = 650;
constexpr COLORREF kLabelColour = RGB(255, 80, 128);

enum class Kind { kRichEdit, kEdit, kCheckBox, kLabel, kButton };

struct ControlLayout {
  int id;
  Kind kind;
  int left, top, width, height;
  const wchar_t* text;
};

// Rows in stacking order: row 1 lies above all others.
constexpr ControlLayout kControls[9] = {
    {kIdSogouBox, Kind::kRichEdit, 298, 21, 287, 416, L""},
    {kIdQqBox, Kind::kRichEdit, 7, 21, 287, 416, L""},
    {kIdResultLabel, Kind::kLabel, 248, 472, 88, 16, L"返回结果   ↓"},
    {kIdResultBox, Kind::kEdit, 8, 490, 576, 120, L""},
    {kIdMergeCheck, Kind::kCheckBox, 52, 451, 72, 16, L"合并"},
    {kIdSogouLabel, Kind::kLabel, 301, 0, 120, 24, L"搜狗拼音   ↓"},
    {kIdQqLabel, Kind::kLabel, 10, 0, 120, 24, L"QQ拼音   ↓"},
    {kIdQqToSogou, Kind::kButton, 160, 444, 112, 24, L"QQ拼音转搜狗"},
    {kIdSogouToQq, Kind::kButton, 304, 444, 112, 24, L"搜狗转QQ拼音"},
};

// Focus stops in focus order, as indices into kControls.
constexpr int kFocusOrder[6] = {8, 7, 4, 3, 1, 0};

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// EM_STREAMOUT callback: appends every piece to a UTF-16 buffer.
DWORD CALLBACK StreamOutToBuffer(DWORD_PTR cookie, LPBYTE data, LONG size, LONG* written) {
  auto& out = *reinterpret_cast<std::string*>(cookie);
  out.append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size));
  *written = size;
  return 0;
}

struct StreamInSource {
  const char* data;
  std::size_t left;
};

// EM_STREAMIN callback: hands out the text in the pieces the control asks for.
DWORD CALLBACK StreamInFromBuffer(DWORD_PTR cookie, LPBYTE data, LONG size, LONG* read) {
  auto& source = *reinterpret_cast<StreamInSource*>(cookie);
  const std::size_t n = std::min<std::size_t>(source.left, static_cast<std::size_t>(size));
  std::memcpy(data, source.data, n);
  source.data += n;
  source.left -= n;
  *read = static_cast<LONG>(n);
  return 0;
}

// The rich edit library, loaded once per process and kept until it ends.
bool LoadRichEdit() {
  static const HMODULE library = LoadLibraryW(L"RICHED20.DLL");
  return library != nullptr;
}

}  // namespace

MainWindow::~MainWindow() {
  if (label_font_ != nullptr) DeleteObject(label_font_);
  if (face_brush_ != nullptr) DeleteObject(face_brush_);
}

bool MainWindow::Create(HINSTANCE instance) {
  gui_font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  face_brush_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));

  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &MainWindow::WindowProc;
  wc.hInstance = instance;
  wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                           LR_DEFAULTCOLOR));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainWindowClass;
  if (RegisterClassExW(&wc) == 0) return false;

  // Centred on the primary screen, task bar included; truncating divisions.
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
  hwnd_ = CreateWindowExW(0, kMainWindowClass, kMainWindowCaption,
                          WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, left, top,
                          kWindowWidth, kWindowHeight, nullptr, nullptr, instance, this);
  if (hwnd_ == nullptr) return false;
  RECT rect;
  GetWindowRect(hwnd_, &rect);
  if (rect.right - rect.left != kWindowWidth || rect.bottom - rect.top != kWindowHeight) {
    SetWindowPos(hwnd_, nullptr, left, top, kWindowWidth, kWindowHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(gui_font_), FALSE);
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(wc.hIcon));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(wc.hIconSm));

  if (!CreateControls()) {
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    return false;
  }
  // Row 1 on top: each row goes below the ones before it.
  for (HWND control : controls_) {
    SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  for (HWND control : controls_) ShowWindow(control, SW_SHOW);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
  SetFocus(focus_stops_[0]);
  return true;
}

bool MainWindow::CreateControls() {
  if (!LoadRichEdit()) return false;
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  // 透明标签3: 宋体, bold, characters 12 pixels high.
  label_font_ =
      CreateFontW(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, L"宋体");

  for (int i = 0; i < 9; ++i) {
    const ControlLayout& layout = kControls[i];
    const wchar_t* cls = L"";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD ex_style = 0;
    switch (layout.kind) {
      case Kind::kRichEdit:
        cls = L"RichEdit20W";
        style |= WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
        ex_style = WS_EX_CLIENTEDGE;
        break;
      case Kind::kEdit:
        cls = L"Edit";
        style |= WS_TABSTOP | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
        ex_style = WS_EX_CLIENTEDGE;
        break;
      case Kind::kCheckBox:
        cls = L"Button";
        style |= WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER | BS_MULTILINE;
        break;
      case Kind::kLabel:
        cls = L"Static";
        style |= SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
        ex_style = WS_EX_TRANSPARENT;
        break;
      case Kind::kButton:
        cls = L"Button";
        style |= WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
        break;
    }
    HWND control = CreateWindowExW(
        ex_style, cls, layout.text, style, layout.left, layout.top, layout.width, layout.height,
        hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance, nullptr);
    if (control == nullptr) return false;
    controls_[i] = control;
    const HFONT font =
        layout.id == kIdResultLabel && label_font_ != nullptr ? label_font_ : gui_font_;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    if (layout.kind == Kind::kRichEdit) {
      CHARFORMAT2W format = {};
      format.cbSize = sizeof format;
      format.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET | CFM_COLOR | CFM_BOLD | CFM_ITALIC |
                      CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED | CFM_OFFSET;
      format.dwEffects = CFE_AUTOCOLOR;
      format.yHeight = 180;  // 9 points
      format.bCharSet = DEFAULT_CHARSET;
      wcscpy(format.szFaceName, L"宋体");
      SendMessageW(control, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
      SendMessageW(control, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
      CHARRANGE caret = {0, 0};
      SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
      SendMessageW(control, EM_SETBKGNDCOLOR, 1, 0);
      SendMessageW(control, EM_SETEVENTMASK, 0,
                   ENM_CHANGE | ENM_SCROLL | ENM_SELCHANGE | ENM_PROTECTED);
      SendMessageW(control, EM_SETOPTIONS, ECOOP_OR, ECO_AUTOWORDSELECTION);
      SendMessageW(control, EM_SETMODIFY, FALSE, 0);
    } else if (layout.kind == Kind::kEdit) {
      SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // the largest limit there is
    }
  }
  for (int i = 0; i < 6; ++i) focus_stops_[i] = controls_[kFocusOrder[i]];
  return true;
}

bool MainWindow::PreTranslate(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || hwnd_ == nullptr) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  const bool ctrl = KeyDown(VK_CONTROL);
  const bool shift = KeyDown(VK_SHIFT);
  const bool alt = KeyDown(VK_MENU);
  if (msg.wParam == VK_TAB && !ctrl && !alt) {
    MoveFocus(shift ? -1 : 1);
    return true;
  }
  if (msg.wParam == VK_ESCAPE && !ctrl && !shift && !alt) {
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    return true;
  }
  return false;
}

void MainWindow::MoveFocus(int step) {
  const HWND focus = GetFocus();
  int at = -1;
  for (int i = 0; i < 6; ++i) {
    if (focus_stops_[i] == focus || IsChild(focus_stops_[i], focus)) at = i;
  }
  // From outside the stops, Tab goes to the first and Shift+Tab to the last.
  int next = at < 0 ? (step > 0 ? 0 : 5) : at;
  for (int tries = 0; tries < 6; ++tries) {
    if (at >= 0 || tries > 0) next = (next + step + 6) % 6;
    const HWND candidate = focus_stops_[next];
    if (IsWindowVisible(candidate) && IsWindowEnabled(candidate)) {
      SetFocus(candidate);
      return;
    }
  }
}

HWND MainWindow::BoxHandle(Box box) const { return box == Box::kQq ? controls_[1] : controls_[0]; }

Text MainWindow::GetBoxText(Box box) const {
  std::string utf16;
  EDITSTREAM stream = {};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&utf16);
  stream.pfnCallback = &StreamOutToBuffer;
  SendMessageW(BoxHandle(box), EM_STREAMOUT, SF_TEXT | SF_UNICODE,
               reinterpret_cast<LPARAM>(&stream));
  std::u16string units(utf16.size() / sizeof(char16_t), u'\0');
  std::memcpy(units.data(), utf16.data(), units.size() * sizeof(char16_t));
  // The content ends at the first NUL.
  if (const auto nul = units.find(u'\0'); nul != std::u16string::npos) units.resize(nul);
  return Utf16ToGb18030(units);
}

void MainWindow::SetBoxText(Box box, std::string_view text) {
  const std::u16string units = Gb18030ToUtf16(text);
  StreamInSource source{reinterpret_cast<const char*>(units.data()),
                        units.size() * sizeof(char16_t)};
  EDITSTREAM stream = {};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = &StreamInFromBuffer;
  SendMessageW(BoxHandle(box), EM_STREAMIN, SF_TEXT | SF_UNICODE,
               reinterpret_cast<LPARAM>(&stream));
}

void MainWindow::SetResultText(std::string_view text) {
  const std::u16string units = Gb18030ToUtf16(text);
  SetWindowTextW(controls_[3], reinterpret_cast<const wchar_t*>(units.c_str()));
}

int MainWindow::GetMergeState() const {
  return SendMessageW(controls_[4], BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  MainWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  return self->HandleMessage(message, wparam, lparam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED && host_ != nullptr) {
        if (LOWORD(wparam) == kIdSogouToQq) {
          OnSogouToQq(*host_);
          return 0;
        }
        if (LOWORD(wparam) == kIdQqToSogou) {
          OnQqToSogou(*host_);
          return 0;
        }
      }
      break;
    case WM_CTLCOLORSTATIC: {
      const HDC dc = reinterpret_cast<HDC>(wparam);
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
      if (id == kIdQqLabel || id == kIdSogouLabel || id == kIdResultLabel) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kLabelColour);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      }
      // The check box: black on the 3D face colour.
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(face_brush_);
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->code == EN_PROTECTED) {
        // Protected text only takes format changes.
        const auto* change = reinterpret_cast<const ENPROTECTED*>(lparam);
        return change->msg == EM_SETCHARFORMAT ? 0 : 1;
      }
      break;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) focus_memory_ = focus;
      } else {
        SetFocus(focus_memory_ != nullptr ? focus_memory_ : focus_stops_[0]);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace marvoset
