// The installer window made in this test's own process: the drop target handed
// CF_HDROP data objects, and the window operations a transfer uses.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <ole2.h>
#include <shlobj.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "installer/control_names.h"
#include "installer/win32/file_drop_target.h"
#include "installer/win32/main_window.h"
#include "installer/win32/message_loop.h"
#include "installer/win32/window_operations.h"
#include "tests/win32/gui_driver.h"

namespace {

// A data object offering one format: files (CF_HDROP) or plain text.
class FakeDataObject final : public IDataObject {
 public:
  static FakeDataObject* Files(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) list += path + '\0';
    list += '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(memory);
    return new FakeDataObject(CF_HDROP, memory);
  }
  static FakeDataObject* Text(const std::string& text) {
    HGLOBAL memory = GlobalAlloc(GHND, text.size() + 1);
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    return new FakeDataObject(CF_TEXT, memory);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    SIZE_T size = GlobalSize(memory_);
    HGLOBAL copy = GlobalAlloc(GHND, size);
    memcpy(GlobalLock(copy), GlobalLock(memory_), size);
    GlobalUnlock(copy);
    GlobalUnlock(memory_);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format && format->cfFormat == format_ && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  FakeDataObject(CLIPFORMAT format, HGLOBAL memory) : format_(format), memory_(memory) {}
  ~FakeDataObject() { GlobalFree(memory_); }
  std::atomic<ULONG> references_{1};
  CLIPFORMAT format_;
  HGLOBAL memory_;
};

struct MessageSeen {
  std::string text;
  std::string title;
};

// Answers the next message box this process shows (from another thread, since
// the box's modal loop holds the window's thread) and tells what it said.
std::future<MessageSeen> AnswerNextMessageBox() {
  DWORD pid = GetCurrentProcessId();
  return std::async(std::launch::async, [pid] {
    MessageSeen seen;
    HWND box = nullptr;
    gui::WaitUntil(
        [&] {
          box = FindWindowExA(nullptr, nullptr, "#32770", nullptr);
          while (box) {
            DWORD owner = 0;
            GetWindowThreadProcessId(box, &owner);
            if (owner == pid && IsWindowVisible(box)) break;
            box = FindWindowExA(nullptr, box, "#32770", nullptr);
          }
          return box != nullptr;
        },
        10000);
    if (!box) return seen;
    seen.text = gui::MessageBoxText(box);
    seen.title = gui::Text(box);
    gui::PressOk(box);
    return seen;
  });
}

class InstallerWindowInProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = gui::MakeTempDir("installer-inproc");
    ASSERT_TRUE(gui::WriteFileBytes(folder_ + "\\sockfilego.exe", "MZ"));
    GetCurrentDirectoryA(MAX_PATH, previousFolder_);
    SetCurrentDirectoryA(folder_.c_str());
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(CreateMainWindow(GetModuleHandleA(nullptr)));
    ASSERT_TRUE(CheckSenderTool());
    ASSERT_NE(Ui().dropTarget, nullptr);
  }
  void TearDown() override {
    if (Ui().main) DestroyWindow(Ui().main);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    OleUninitialize();
    SetCurrentDirectoryA(previousFolder_);
  }

  // Drags data over the window and drops it, as OLE would; returns the effects
  // the target answered on entering and on dropping.
  std::pair<DWORD, DWORD> DragAndDrop(IDataObject* data) {
    IDropTarget* target = Ui().dropTarget;
    POINTL at = {100, 100};
    DWORD entered = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(target->DragEnter(data, MK_LBUTTON, at, &entered), S_OK);
    DWORD over = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(target->DragOver(MK_LBUTTON, at, &over), S_OK);
    EXPECT_EQ(over, entered);
    DWORD dropped = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(target->Drop(data, 0, at, &dropped), S_OK);
    data->Release();
    return {entered, dropped};
  }

  std::string FileBox() { return WindowText(Ui().fileBox); }

  std::string folder_;
  char previousFolder_[MAX_PATH] = {};
};

TEST_F(InstallerWindowInProcess, DroppedFilesWithCiaReachTheFileBox) {
  struct Case {
    std::vector<std::string> paths;
    std::string fileBox;
  };
  const Case cases[] = {
      {{"C:\\games\\zelda.cia"}, "C:\\games\\zelda.cia"},
      {{"C:\\a b\\one.cia", "C:\\two.txt"}, "C:\\a b\\one.cia\r\nC:\\two.txt\r\n"},
      {{"C:\\notes.txt", "D:\\x.cia", "E:\\y.cia"}, "C:\\notes.txt\r\nD:\\x.cia\r\nE:\\y.cia\r\n"},
      {{"C:\\folder.cia"}, "C:\\folder.cia"},  // whatever it is; the transfer decides
      {{"C:\\游戏\\塞尔达.cia"}, "C:\\游戏\\塞尔达.cia"},
  };
  for (const Case& c : cases) {
    SetWindowTextA(Ui().fileBox, "before");
    auto effects = DragAndDrop(FakeDataObject::Files(c.paths));
    EXPECT_EQ(effects.first, DWORD{DROPEFFECT_COPY}) << c.fileBox;
    EXPECT_EQ(effects.second, DWORD{DROPEFFECT_COPY}) << c.fileBox;
    EXPECT_EQ(FileBox(), c.fileBox);
  }
}

TEST_F(InstallerWindowInProcess, DroppedFilesWithoutCiaAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {"C:\\games\\ZELDA.CIA"},
      {"C:\\readme.txt", "C:\\b.Cia"},
  };
  for (const auto& paths : cases) {
    SetWindowTextA(Ui().fileBox, "kept");
    auto answer = AnswerNextMessageBox();
    DragAndDrop(FakeDataObject::Files(paths));
    MessageSeen seen = answer.get();
    EXPECT_EQ(seen.text, "请拖放 CIA 文件！");
    EXPECT_EQ(seen.title, "警告");
    EXPECT_EQ(FileBox(), "kept");
  }
}

TEST_F(InstallerWindowInProcess, DraggedTextIsNotAccepted) {
  SetWindowTextA(Ui().fileBox, "kept");
  auto effects = DragAndDrop(FakeDataObject::Text("C:\\games\\zelda.cia"));
  EXPECT_EQ(effects.first, DWORD{DROPEFFECT_NONE});
  EXPECT_EQ(effects.second, DWORD{DROPEFFECT_NONE});
  EXPECT_EQ(FileBox(), "kept");
}

TEST_F(InstallerWindowInProcess, ProgressPositionIsClampedToPercent) {
  InstallerTransferWindow window;
  const std::pair<int32_t, int> cases[] = {{45, 45}, {-7, 0}, {0, 0}, {100, 100}, {101, 100}, {INT32_MIN, 0},
                                           {INT32_MAX, 100}};
  for (auto [value, shown] : cases) {
    window.SetPosition(value);
    EXPECT_EQ(SendMessageA(Ui().progressBar, PBM_GETPOS, 0, 0), shown) << value;
  }
}

TEST_F(InstallerWindowInProcess, CaptionsGoToTheirLabels) {
  InstallerTransferWindow window;
  window.SetCaption(control::kSpeedLabel, "512 KB/s");
  window.SetCaption(control::kTimeLabel, "0h1m2s");
  window.SetCaption(control::kPercentLabel, "45 %");
  window.SetCaption("no such control", "ignored");
  EXPECT_EQ(WindowText(Ui().speedLabel), "512 KB/s");
  EXPECT_EQ(WindowText(Ui().timeLabel), "0h1m2s");
  EXPECT_EQ(WindowText(Ui().percentLabel), "45 %");
}

// Columns of the percent label, as shown on the screen, that hold dark (text) pixels.
std::vector<bool> DarkColumns(HWND label) {
  RECT r;
  GetWindowRect(label, &r);
  HDC screen = GetDC(nullptr);
  std::vector<bool> dark(r.right - r.left, false);
  for (int x = r.left; x < r.right; ++x) {
    for (int y = r.top; y < r.bottom; ++y) {
      COLORREF c = GetPixel(screen, x, y);
      if (GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90) dark[x - r.left] = true;
    }
  }
  ReleaseDC(nullptr, screen);
  return dark;
}

int LastDarkColumn(HWND label) {
  std::vector<bool> dark = DarkColumns(label);
  for (int x = static_cast<int>(dark.size()) - 1; x >= 0; --x) {
    if (dark[x]) return x;
  }
  return -1;
}

TEST_F(InstallerWindowInProcess, PercentLabelStaysReadableOverTheBar) {
  ShowWindow(Ui().main, SW_SHOWNORMAL);
  InstallerTransferWindow window;
  window.SetPosition(100);  // the bar fills the area behind the label
  window.SetCaption(control::kPercentLabel, "100 %");
  UpdateWindow(Ui().main);
  window.ProcessPendingEvents();
  int wide = LastDarkColumn(Ui().percentLabel);
  ASSERT_GT(wide, 0) << "no text over the full bar";

  window.SetCaption(control::kPercentLabel, "0 %");
  window.ProcessPendingEvents();
  int narrow = LastDarkColumn(Ui().percentLabel);
  EXPECT_GT(narrow, 0) << "no text after the caption changed";
  EXPECT_LT(narrow, wide) << "the old, longer caption is still shown";

  // The bar repaints itself (position changes, exposure): the text stays.
  window.SetPosition(50);
  window.ProcessPendingEvents();
  RedrawWindow(Ui().progressBar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(LastDarkColumn(Ui().percentLabel), narrow);
}

TEST_F(InstallerWindowInProcess, AppendingToTheLogGoesToItsEndWhateverIsSelected) {
  InstallerTransferWindow window;
  HWND log = Ui().logBox;
  SetWindowTextA(log, "第一行\r\n");
  SendMessageA(log, EM_SETSEL, 0, 2);  // the user selected something at the start
  window.AppendLog("二 two\r\n");
  window.AppendLog("三\r\n");
  EXPECT_EQ(WindowText(log), "第一行\r\n二 two\r\n三\r\n");
  DWORD start = 0, end = 0;
  SendMessageA(log, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, end);
  EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthW(log)));  // caret after the last character

  SendMessageA(log, EM_SETSEL, 0, 3);
  window.MoveLogCaretToEnd();
  SendMessageA(log, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, end);
  EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthW(log)));
  EXPECT_EQ(WindowText(log), "第一行\r\n二 two\r\n三\r\n");
}

TEST_F(InstallerWindowInProcess, TransferButtonCanBeDisabledAndEnabled) {
  InstallerTransferWindow window;
  window.SetTransferButtonEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(Ui().transferButton));
  window.SetTransferButtonEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(Ui().transferButton));
}

TEST_F(InstallerWindowInProcess, PendingEventsStopAtAQuitRequestAndLeaveItQueued) {
  InstallerTransferWindow window;
  PostMessageA(Ui().main, WM_NULL, 0, 0);
  EXPECT_TRUE(window.ProcessPendingEvents());
  PostQuitMessage(3);
  EXPECT_FALSE(window.ProcessPendingEvents());
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(InstallerWindowInProcess, PendingEventsStopOnceTheWindowIsGone) {
  InstallerTransferWindow window;
  PostMessageA(Ui().main, WM_CLOSE, 0, 0);
  EXPECT_FALSE(window.ProcessPendingEvents());
  EXPECT_EQ(Ui().main, nullptr);
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // for the message loop
}

}  // namespace
