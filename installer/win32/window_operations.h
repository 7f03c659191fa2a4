// The window operations a transfer uses, on the installer's main window.
#pragma once

#include "installer/transfer_window.h"

class InstallerTransferWindow final : public TransferWindow {
 public:
  void SetPosition(int32_t value) override;
  void SetCaption(const std::string& control, const std::string& text) override;
  void AppendLog(const std::string& text) override;
  void MoveLogCaretToEnd() override;
  void ShowMessage(const std::string& text, const std::string& title) override;
  void SetTransferButtonEnabled(bool enabled) override;
  bool ProcessPendingEvents() override;
};
