// Names of the installer window's controls, as the display steps address them.
// Stored as GBK bytes (the sources are compiled with -fexec-charset=GBK).
#pragma once

namespace control {
inline constexpr char kLogBox[] = "编辑框1";        // the sender's output
inline constexpr char kAddressBox[] = "编辑框2";    // the console's IP address
inline constexpr char kFileBox[] = "编辑框3";       // the CIA file(s) to send
inline constexpr char kTransferButton[] = "按钮1";  // "传输"
inline constexpr char kChooseButton[] = "按钮2";    // "选择文件"
inline constexpr char kProgressBar[] = "进度条1";
inline constexpr char kSpeedLabel[] = "标签1";
inline constexpr char kTimeLabel[] = "标签2";
inline constexpr char kPercentLabel[] = "透明标签1";
}  // namespace control
