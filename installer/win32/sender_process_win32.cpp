#include "installer/win32/sender_process_win32.h"

#include <vector>

// <windows.h> maps FindText to the find dialog's FindTextA; ours is meant here.
#undef FindText
#include "text/text_ops.h"

namespace {

void CloseIfOpen(HANDLE& handle) {
  if (handle) CloseHandle(handle);
  handle = nullptr;
}

HANDLE CreateKillOnCloseJob() {
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  if (!job) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    CloseHandle(job);
    return nullptr;
  }
  return job;
}

}  // namespace

std::string ExecutableDirectory() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  std::string file(path.begin(), path.end());
  // By characters: the second byte of a two-byte character may be 0x5C.
  int lastSeparator = -1;
  for (int at = FindText(file, "\\"); at != -1; at = FindText(file, "\\", at + 1)) lastSeparator = at;
  return lastSeparator > 0 ? MidText(file, 1, lastSeparator - 1) : std::string();
}

std::string SystemErrorText(DWORD code) {
  char* message = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<char*>(&message), 0, nullptr);
  std::string text;
  if (length && message) text.assign(message, length);
  if (message) LocalFree(message);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  if (text.empty()) text = JoinText("错误 ", std::to_string(code));
  return text;
}

Win32SenderChannel::Win32SenderChannel(TransferRecords& records, std::string runDirectory)
    : records_(records), runDirectory_(std::move(runDirectory)) {}

Win32SenderChannel::~Win32SenderChannel() { Close(); }

std::string Win32SenderChannel::RunDirectory() {
  return runDirectory_.empty() ? ExecutableDirectory() : runDirectory_;
}

bool Win32SenderChannel::Start(const std::string& program, const std::string& commandLine, std::string* error) {
  TransferRecords& r = records_;
  ended_ = false;
  r.PipeSecurity.nLength = sizeof r.PipeSecurity;
  r.PipeSecurity.lpSecurityDescriptor = nullptr;
  r.PipeSecurity.bInheritHandle = TRUE;
  if (!CreatePipe(&r.PipeReadEnd, &r.PipeWriteEnd, &r.PipeSecurity, 0)) {
    *error = SystemErrorText(GetLastError());
    r.PipeReadEnd = r.PipeWriteEnd = nullptr;
    return false;
  }
  // Only the write end goes to the sender.
  SetHandleInformation(r.PipeReadEnd, HANDLE_FLAG_INHERIT, 0);
  r.SenderJob = CreateKillOnCloseJob();

  r.SenderStartup.cb = sizeof r.SenderStartup;
  r.SenderStartup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  r.SenderStartup.wShowWindow = SW_HIDE;
  r.SenderStartup.hStdInput = nullptr;  // the sender reads nothing
  r.SenderStartup.hStdOutput = r.PipeWriteEnd;
  r.SenderStartup.hStdError = r.PipeWriteEnd;

  std::string line = commandLine;  // CreateProcessA may write into it
  // Suspended until it is in the job, so nothing it starts escapes the job.
  BOOL started = CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW | CREATE_SUSPENDED,
                                nullptr, nullptr, &r.SenderStartup, &r.SenderProcess);
  DWORD startError = GetLastError();
  // From here on only the sender holds the write end, so the pipe closes when it ends.
  CloseIfOpen(r.PipeWriteEnd);
  r.SenderStartup.hStdOutput = r.SenderStartup.hStdError = nullptr;
  if (!started) {
    r.SenderProcess = {};
    CloseIfOpen(r.PipeReadEnd);
    CloseIfOpen(r.SenderJob);
    *error = SystemErrorText(startError);
    return false;
  }
  // Without a job (the system refused one) Close still ends the sender itself.
  if (r.SenderJob && !AssignProcessToJobObject(r.SenderJob, r.SenderProcess.hProcess)) CloseIfOpen(r.SenderJob);
  ResumeThread(r.SenderProcess.hThread);
  open_ = true;
  return true;
}

bool Win32SenderChannel::Peek(uint32_t* available) {
  DWORD count = 0;
  if (!PeekNamedPipe(records_.PipeReadEnd, nullptr, 0, nullptr, &count, nullptr)) return false;
  records_.PipeByteCount = count;
  *available = count;
  return true;
}

bool Win32SenderChannel::Read(char* buffer, uint32_t capacity, uint32_t* count) {
  DWORD read = 0;
  BOOL ok = ReadFile(records_.PipeReadEnd, buffer, capacity, &read, nullptr);
  records_.PipeByteCount = read;
  *count = read;
  return ok != FALSE;
}

bool Win32SenderChannel::HasEnded() {
  if (ended_) return true;
  HANDLE process = records_.SenderProcess.hProcess;
  if (!GetExitCodeProcess(process, &records_.SenderExitCode)) {
    ended_ = true;  // nothing left to wait for
  } else if (records_.SenderExitCode != STILL_ACTIVE) {
    ended_ = true;
  } else {
    // A sender may also end with the code 259 itself.
    ended_ = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  }
  return ended_;
}

void Win32SenderChannel::WaitForActivity(uint32_t ms) {
  // Output arriving in the pipe does not wake this wait; the caller polls again
  // after at most ms. An ended sender's handle stays signalled, so it is only
  // waited for while it runs.
  HANDLE process = records_.SenderProcess.hProcess;
  DWORD count = ended_ || !process ? 0 : 1;
  MsgWaitForMultipleObjectsEx(count, count ? &process : nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Win32SenderChannel::Close() {
  if (!open_) return;
  open_ = false;
  TransferRecords& r = records_;
  if (r.SenderJob) {
    TerminateJobObject(r.SenderJob, 1);  // the sender, if it still runs, and all it started
  } else if (r.SenderProcess.hProcess && WaitForSingleObject(r.SenderProcess.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(r.SenderProcess.hProcess, 1);
  }
  CloseIfOpen(r.PipeReadEnd);
  CloseIfOpen(r.PipeWriteEnd);
  CloseIfOpen(r.SenderProcess.hProcess);
  CloseIfOpen(r.SenderProcess.hThread);
  CloseIfOpen(r.SenderJob);
}
