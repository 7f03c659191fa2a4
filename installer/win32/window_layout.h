// Where the installer window's controls lie and what they show at start.
#pragma once

#include <windows.h>

namespace layout {
// Outer size of the main window, frame and title bar included.
inline constexpr int kWindowWidth = 494;
inline constexpr int kWindowHeight = 379;

inline constexpr char kCaption[] = "Kestrun 3DS 无线安装器 v1.2 Powered by Vandrel";
inline constexpr char kAddressPrompt[] = "输入 IP 地址";
inline constexpr char kFilePrompt[] = "选择文件或拖放 CIA 文件到这里！";
inline constexpr char kChooseCaption[] = "选择文件";
inline constexpr char kTransferCaption[] = "传输";
inline constexpr char kCredits[] =
    "作者:Vandrel\r\n\r\n编译日期:2016.2.23\r\n\r\n"
    "感谢 FBI 插件作者，感谢 Sockfilego 软件作者！本软件为 Sockfilego 外壳！\r\n\r\n";

// Control identifiers (WM_COMMAND).
enum ControlId : int {
  kAddressBoxId = 101,
  kFileBoxId,
  kChooseButtonId,
  kTransferButtonId,
  kLogBoxId,
  kProgressBarId,
  kPercentLabelId,
  kSpeedLabelId,
  kTimeLabelId,
};

// Top-left corner of a window of the given outer size centred on the primary
// screen (not its work area).
POINT CenteredOrigin(int width, int height);
}  // namespace layout

// Creates the controls as children of main and fills Ui(). false if one failed.
bool CreateControls(HWND main);
