// The window operations a transfer uses, implemented by the installer window
// (and by recording fakes in tests). Texts are GBK bytes.
#pragma once

#include <cstdint>
#include <string>

class TransferWindow {
 public:
  virtual ~TransferWindow() = default;

  // The progress bar; values outside 0-100 are clamped by the window.
  virtual void SetPosition(int32_t value) = 0;
  // The caption of control::kSpeedLabel, kTimeLabel or kPercentLabel.
  virtual void SetCaption(const std::string& control, const std::string& text) = 0;
  // Puts the log's caret at the end, scrolls to it and inserts text there.
  virtual void AppendLog(const std::string& text) = 0;
  // Puts the log's caret after its last byte, nothing selected, scrolled into view.
  virtual void MoveLogCaretToEnd() = 0;
  // A modal message box with an OK button; returns when the user has closed it.
  virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
  // Enables or disables the transfer button (one transfer at a time).
  virtual void SetTransferButtonEnabled(bool enabled) = 0;
  // Handles the waiting window messages as the message loop would. Returns false
  // once the main window is gone or a quit request is waiting (it stays queued):
  // the transfer must then stop at once.
  virtual bool ProcessPendingEvents() = 0;
};
