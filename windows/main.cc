// marvoset.exe: start-up and the message loop of the Windows edition.
#include <ole2.h>
#include <windows.h>

#include "windows/main_window.h"
#include "windows/win32_host.h"

namespace {

constexpr int kStartupFailedStatus = 1;
constexpr wchar_t kStartupFailedText[] = L"启动窗口载入失败。";

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  OleInitialize(nullptr);
  int status = 0;
  {
    marvoset::MainWindow window;
    marvoset::Win32CommandHost host(window);
    window.SetCommandHost(&host);
    if (!window.Create(instance)) {
      MessageBoxW(nullptr, kStartupFailedText, L"错误：", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
      status = kStartupFailedStatus;
    } else {
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window.PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
  OleUninitialize();
  return status;
}
