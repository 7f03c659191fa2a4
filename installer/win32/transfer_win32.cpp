#include "installer/win32/transfer_win32.h"

#include "installer/transfer.h"
#include "installer/win32/sender_process_win32.h"

namespace {
TransferRecords* g_records = nullptr;
}  // namespace

void InitTransferRecords() {
  if (!g_records) g_records = new TransferRecords();
}

void FreeTransferRecords() {
  delete g_records;
  g_records = nullptr;
}

void RunTransfer(TransferWindow& window, const std::string& address, const std::string& filePath) {
  InitTransferRecords();  // a program that skipped it still transfers
  Win32SenderChannel channel(*g_records);
  DriveTransfer(window, channel, address, filePath);
}
