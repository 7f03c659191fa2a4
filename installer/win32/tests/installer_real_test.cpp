// wireless-installer.exe with our sockfilego.exe beside it, sending a generated
// CIA to the simulated console on 127.0.0.1.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "installer/sender_output.h"
#include "installer/win32/window_layout.h"
#include "tests/win32/console_sim_process.h"
#include "tests/win32/gui_driver.h"

namespace {

constexpr DWORD kWaitMs = 20000;

// A CIA as far as the sender looks: its header-size field (0x2020, little
// endian) first, the rest random.
std::string SampleCia(size_t size) {
  std::string bytes(size, '\0');
  std::mt19937 random(2016);
  for (char& b : bytes) b = static_cast<char>(random());
  const unsigned char header[4] = {0x20, 0x20, 0x00, 0x00};
  bytes.replace(0, 4, reinterpret_cast<const char*>(header), 4);
  return bytes;
}

void SetText(HWND control, const std::string& text) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                      &ignored);
}

class InstallerWithSender : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = gui::MakeTempDir("installer-real");
    ASSERT_FALSE(folder_.empty());
    for (const char* exe : {"wireless-installer.exe", "sockfilego.exe"}) {
      ASSERT_TRUE(gui::CopyInto(gui::ProgramDir() + "\\" + exe, folder_, exe)) << exe;
    }
    cia_ = folder_ + "\\sample game.cia";
    ciaBytes_ = SampleCia(3 * 1024 * 1024 + 123);
    ASSERT_TRUE(gui::WriteFileBytes(cia_, ciaBytes_));
    program_ = std::make_unique<gui::Program>(folder_ + "\\wireless-installer.exe");
    main_ = program_->WaitForWindow(nullptr, layout::kCaption, kWaitMs);
    ASSERT_NE(main_, nullptr);
  }

  // Sends the sample to address and returns the message that ends the transfer.
  std::string Send(const std::string& address) {
    SetText(GetDlgItem(main_, layout::kAddressBoxId), address);
    SetText(GetDlgItem(main_, layout::kFileBoxId), cia_);
    gui::PushButton(GetDlgItem(main_, layout::kTransferButtonId));
    HWND box = program_->WaitForMessageBox(kWaitMs);
    if (!box) return "(no message) log: " + gui::Text(GetDlgItem(main_, layout::kLogBoxId));
    std::string text = gui::MessageBoxText(box);
    percentAtMessage_ = gui::Text(GetDlgItem(main_, layout::kPercentLabelId));
    gui::PressOk(box);
    HWND button = GetDlgItem(main_, layout::kTransferButtonId);
    EXPECT_TRUE(gui::WaitUntil([&] { return IsWindowEnabled(button) != FALSE; }, kWaitMs));
    return text;
  }

  std::string folder_;
  std::string cia_;
  std::string ciaBytes_;
  std::string percentAtMessage_;
  std::unique_ptr<gui::Program> program_;
  HWND main_ = nullptr;
};

TEST_F(InstallerWithSender, InstallsTheFileOnTheConsole) {
  std::string received = gui::MakeTempDir("installer-received");
  gui::ConsoleSimProcess console("accept", received);
  ASSERT_NE(console.port(), 0);
  EXPECT_EQ(Send(console.address()), sender_text::kInstalledMessage);
  EXPECT_EQ(percentAtMessage_, "100 %");  // the bar's last position, kept after success
  std::string log = gui::Text(GetDlgItem(main_, layout::kLogBoxId));
  EXPECT_NE(log.find(" 100 % "), std::string::npos) << log;
  EXPECT_TRUE(console.WaitForExit(kWaitMs));
  EXPECT_TRUE(gui::ReadFileBytes(received + "\\received-1.cia") == ciaBytes_) << "the console got other bytes";
}

TEST_F(InstallerWithSender, ReportsADeclinedInstall) {
  gui::ConsoleSimProcess console("decline");
  ASSERT_NE(console.port(), 0);
  EXPECT_EQ(Send(console.address()), sender_text::kTransferFailedMessage);
}

TEST_F(InstallerWithSender, ReportsAnUnreachableConsole) {
  // A port that was free a moment ago: nobody listens there.
  int port = 0;
  {
    gui::ConsoleSimProcess console("accept");
    port = console.port();
    console.Kill();
  }
  ASSERT_NE(port, 0);
  EXPECT_EQ(Send("127.0.0.1:" + std::to_string(port)), sender_text::kConnectionFailedMessage);
}

}  // namespace
