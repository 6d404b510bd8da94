#include "windows/win32_host.h"

#include <cstring>
#include <string>

#include "convert/codec.h"

namespace marvoset {

std::wstring WideFromUtf8(std::string_view text) {
  std::wstring out;
  if (text.empty()) return out;
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  out.resize(static_cast<std::size_t>(n));
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

bool Win32CommandHost::PutOnClipboard(std::string_view text) {
  const std::u16string units = Gb18030ToUtf16(text);
  const std::size_t bytes = (units.size() + 1) * sizeof(char16_t);
  if (!OpenClipboard(nullptr)) return false;
  bool stored = false;
  if (EmptyClipboard()) {
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes); memory != nullptr) {
      if (void* data = GlobalLock(memory); data != nullptr) {
        std::memcpy(data, units.c_str(), bytes);
        GlobalUnlock(memory);
        stored = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
      }
      if (!stored) GlobalFree(memory);  // the clipboard owns it only once stored
    }
  }
  CloseClipboard();
  return stored;
}

void Win32CommandHost::ShowMessage(const Message& message) {
  UINT flags = MB_OK | MB_TASKMODAL;
  if (message.icon == MessageIcon::kStop) flags |= MB_ICONSTOP;
  MessageBoxW(nullptr, WideFromUtf8(message.text).c_str(), WideFromUtf8(message.title).c_str(),
              flags);
}

}  // namespace marvoset
