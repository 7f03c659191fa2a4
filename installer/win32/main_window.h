// The installer's main window: its controls, the handlers of its events and the
// start-up steps that make it.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <string>

// The main window and its controls; all null before the window is made and
// after it is gone.
struct InstallerUi {
  HWND main = nullptr;
  HWND addressBox = nullptr;      // the console's IP address
  HWND fileBox = nullptr;         // the CIA file(s) to send
  HWND chooseButton = nullptr;    // "选择文件"
  HWND transferButton = nullptr;  // "传输"
  HWND logBox = nullptr;          // the sender's output
  HWND progressBar = nullptr;
  HWND percentLabel = nullptr;    // transparent, over the progress bar
  HWND speedLabel = nullptr;
  HWND timeLabel = nullptr;
  IDropTarget* dropTarget = nullptr;  // held by the window's registration
};
InstallerUi& Ui();

// The control the display steps call by this name (nullptr for an unknown name).
HWND ControlByName(const std::string& name);

// Creates the main window and its controls, not yet shown. false if the system
// refused.
bool CreateMainWindow(HINSTANCE instance);

// Creates the main window, runs CheckSenderTool and shows the window. false when
// the program must end without a window (the warning has been shown).
bool LoadMainWindow(HINSTANCE instance);

// The handlers of the window's events.
bool CheckSenderTool();  // false: the warning was shown, the program ends
void ChooseCiaFile();
void TakeDroppedFiles(const std::string& dropped);
void ClearAddressBox();
// Makes every left press in the address box run ClearAddressBox first.
void WatchAddressBoxPresses(HWND addressBox);
void StartTransfer();  // the transfer button

// A control's whole window text.
std::string WindowText(HWND window);
