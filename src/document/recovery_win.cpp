#include "document/recovery_win.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>

#include "common/file_win.h"
#include "common/handles_win.h"
#include "common/messages.h"
#include "common/trace_win.h"
#include "common/utf.h"
#include "document/document_hooks_win.h"
#include "document/document_win.h"
#include "document/recovery_format.h"
#include "document/recovery_schedule.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/shell_win.h"

namespace {

// The writer's outcomes, as WMU_RECOVERY_DONE carries them.
enum CopyOutcome : WPARAM { CopyFailed = 0, CopyWritten = 1, CopyCancelled = 2 };
// The copy's text goes to disk in pieces, between which a removal can stop it.
constexpr size_t kWritePiece = 4u << 20;
constexpr UINT kTickMs = 250;

uint64_t FileTimeValue(const FILETIME& ft) {
  return (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
}

// A snapshot of the document, owned by the writer from the moment it is queued.
struct RecoveryJob {
  HWND notify = nullptr;
  std::u16string target;
  RecoveryMeta meta;
  std::unique_ptr<char[]> text;
  size_t size = 0;
  ULONGLONG startTick = 0;  // when the snapshot began
};

CopyOutcome WriteCopy(const RecoveryJob& job, const std::atomic<bool>& cancel) {
  ReplacingFile file(job.target);
  if (!file.Opened()) return CopyFailed;
  const std::string header = RecoveryHeader(job.meta, job.size);
  uint32_t crc = RecoveryChecksum(0, header);
  if (!file.Write(header)) return CopyFailed;
  for (size_t at = 0; at < job.size; at += kWritePiece) {
    if (cancel) return CopyCancelled;  // the temporary file goes with `file`
    const std::string_view piece(job.text.get() + at, std::min(kWritePiece, job.size - at));
    crc = RecoveryChecksum(crc, piece);
    if (!file.Write(piece)) return CopyFailed;
  }
  if (!file.Write(RecoveryTrailer(crc)) || !file.Flush()) return CopyFailed;
  if (cancel) return CopyCancelled;
  return file.Commit() ? CopyWritten : CopyFailed;
}

// The thread that writes, removes and takes over the instance's copy, in the order asked.
class RecoveryWriter {
 public:
  bool Running() const { return static_cast<bool>(thread_); }
  bool Start() {
    thread_.reset(CreateThread(nullptr, 0, Main, this, 0, nullptr));
    return Running();
  }
  void Write(std::unique_ptr<RecoveryJob> job) { Push({Task::Write, std::move(job), {}, {}, nullptr}); }
  void Adopt(const std::u16string& from, const std::u16string& to) { Push({Task::Adopt, nullptr, from, to, nullptr}); }
  // Waits until everything asked before has been done.
  void Wait() {
    UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!thread_ || !done) return;
    Push({Task::Mark, nullptr, {}, {}, done.get()});
    WaitForSingleObject(done.get(), INFINITE);
  }
  // Drops the writes not begun, stops the one under way and deletes the copy.
  void Remove(const std::u16string& target) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(tasks_, [](const Task& t) { return t.kind == Task::Write; });
    cancel_ = true;
    tasks_.push_back({Task::Remove, nullptr, target, {}, nullptr});
    wake_.notify_one();
  }
  // Finishes what is queued, then ends the thread and waits for it.
  void Stop() {
    if (!thread_) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
      wake_.notify_one();
    }
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
    stop_ = false;
  }

 private:
  struct Task {
    enum Kind { Write, Remove, Adopt, Mark } kind;
    std::unique_ptr<RecoveryJob> job;
    std::u16string path, to;
    HANDLE mark = nullptr;  // set when the tasks before it are done
  };
  void Push(Task task) {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
    wake_.notify_one();
  }
  static DWORD WINAPI Main(void* self) {
    static_cast<RecoveryWriter*>(self)->Run();
    return 0;
  }
  void Run() {
    for (;;) {
      Task task;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return stop_ || !tasks_.empty(); });
        if (tasks_.empty()) return;  // stopping, and nothing left to do
        task = std::move(tasks_.front());
        tasks_.pop_front();
        if (task.kind == Task::Remove) cancel_ = false;  // later writes are new
      }
      Do(task);
    }
  }
  void Do(const Task& task) {
    switch (task.kind) {
      case Task::Write: {
        const CopyOutcome outcome = WriteCopy(*task.job, cancel_);
        const ULONGLONG cost = GetTickCount64() - task.job->startTick;
        PostMessageW(task.job->notify, WMU_RECOVERY_DONE, outcome, static_cast<LPARAM>(cost));
        break;
      }
      case Task::Remove:
        DeleteFileW(W(task.path));
        break;
      case Task::Adopt:
        MoveFileExW(W(task.path), W(task.to), MOVEFILE_REPLACE_EXISTING);
        break;
      case Task::Mark:
        SetEvent(task.mark);
        break;
    }
  }

  UniqueHandle thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Task> tasks_;
  bool stop_ = false;
  std::atomic<bool> cancel_{false};
};

// User-interface thread only.
struct RecoveryState {
  HWND window = nullptr;
  std::u16string target;         // the instance's copy
  RecoverySchedule schedule;
  uint64_t seenVersion = 0;      // the document version last looked at
  uint64_t copiedVersion = 0;    // the document version of the last snapshot
  bool copyMayExist = false;     // a copy was written, is being written or was adopted
};
RecoveryState g_recovery;
RecoveryWriter g_writer;

// The document's text and what the copy says about it, taken without moving the edit
// control's gap: the two halves are copied as they lie. Null when memory is short.
std::unique_ptr<RecoveryJob> TakeSnapshot(ULONGLONG now) {
  auto job = std::make_unique<RecoveryJob>();
  job->notify = g_recovery.window;
  job->target = g_recovery.target;
  job->startTick = now;
  job->size = static_cast<size_t>(Sci(SCI_GETLENGTH));
  job->text.reset(new (std::nothrow) char[job->size ? job->size : 1]);
  if (!job->text) return nullptr;
  const size_t gap = std::min(job->size, static_cast<size_t>(Sci(SCI_GETGAPPOSITION)));
  if (gap > 0) std::memcpy(job->text.get(), reinterpret_cast<const char*>(Sci(SCI_GETRANGEPOINTER, 0, gap)), gap);
  if (job->size > gap)
    std::memcpy(job->text.get() + gap, reinterpret_cast<const char*>(Sci(SCI_GETRANGEPOINTER, gap, job->size - gap)),
                job->size - gap);
  job->meta.path = g_doc.path;
  job->meta.encoding = static_cast<int32_t>(g_doc.encoding);
  job->meta.eolMode = static_cast<int32_t>(Sci(SCI_GETEOLMODE));
  FILETIME nowUtc;
  GetSystemTimeAsFileTime(&nowUtc);
  job->meta.copiedAt = FileTimeValue(nowUtc);
  BY_HANDLE_FILE_INFORMATION info{};
  if (g_doc.fileHandle && GetFileInformationByHandle(g_doc.fileHandle.get(), &info))
    job->meta.fileWritten = FileTimeValue(info.ftLastWriteTime);
  return job;
}


std::u16string MutexName(const std::u16string& instanceId) {
  return u"Local\\Norvo.Recovery." + instanceId;
}

}  // namespace

std::u16string RecoveryFolder() {
  std::u16string folder = g_documentHooks.recoveryFolder;
  if (folder.empty()) {
    folder = GetConfigFolder();
    if (folder.empty()) return {};
    folder += u"\\recovery";
  }
  CreateDirectoryW(W(folder), nullptr);
  return folder;
}

const std::u16string& RecoveryInstanceId() {
  static const std::u16string id = [] {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return HexText(GetCurrentProcessId()) + u"-" + HexText(FileTimeValue(created));
  }();
  return id;
}

void HoldRecoveryLock() {
  static UniqueHandle lock(CreateMutexW(nullptr, FALSE, W(MutexName(RecoveryInstanceId()))));
}

bool RecoveryOwnerRunning(const std::u16string& instanceId) {
  if (instanceId == RecoveryInstanceId()) return true;
  UniqueHandle other(OpenMutexW(SYNCHRONIZE, FALSE, W(MutexName(instanceId))));
  // A mutex that exists but may not be opened still belongs to a running instance.
  return other || GetLastError() == ERROR_ACCESS_DENIED;
}

void StartRecovery(HWND mainWindow) {
  if (g_shell.viewerMode) return;  // the viewer never writes copies
  const std::u16string folder = RecoveryFolder();
  if (folder.empty()) return;
  HoldRecoveryLock();
  g_recovery = RecoveryState{};
  g_recovery.window = mainWindow;
  g_recovery.target = folder + u"\\" + RecoveryCopyName(RecoveryInstanceId());
  g_recovery.seenVersion = DocumentVersion();
  if (!g_writer.Running() && !g_writer.Start()) return;
  SetTimer(mainWindow, RECOVERY_TIMER_ID, kTickMs, nullptr);
}

void OnRecoveryTick(HWND mainWindow) {
  if (mainWindow != g_recovery.window || g_shell.viewerMode) return;
  const ULONGLONG now = GetTickCount64();
  if (!g_doc.modified) {
    SettleRecoveryCopy();
    g_recovery.seenVersion = DocumentVersion();
    return;
  }
  if (DocumentVersion() != g_recovery.seenVersion) {
    g_recovery.seenVersion = DocumentVersion();
    g_recovery.schedule.NoteChange(now);
  }
  if (!g_recovery.schedule.Due(now)) return;
  std::unique_ptr<RecoveryJob> job = TakeSnapshot(now);
  if (!job) {
    g_recovery.schedule.Failed(now, 0);  // tried again after another pause
    return;
  }
  g_recovery.schedule.Started(now);
  g_recovery.copyMayExist = true;
  g_recovery.copiedVersion = DocumentVersion();
  g_writer.Write(std::move(job));
}

void KeepRecoveryCopyNow() {
  if (!g_recovery.window || !g_doc.modified || !g_writer.Running()) return;
  if (g_recovery.copyMayExist && DocumentVersion() == g_recovery.copiedVersion) return;
  std::unique_ptr<RecoveryJob> job = TakeSnapshot(GetTickCount64());
  if (!job) return;
  g_recovery.copyMayExist = true;
  g_recovery.copiedVersion = DocumentVersion();
  g_writer.Write(std::move(job));
  g_writer.Wait();
}

void OnRecoveryCopyDone(WPARAM outcome, LPARAM costMs) {
  const uint64_t cost = static_cast<uint64_t>(costMs);
  if (outcome == CopyWritten) {
    g_recovery.schedule.Written(cost);
  } else if (outcome == CopyFailed) {
    Trace("Norvo: Recovery copy could not be written\n");
    g_recovery.schedule.Failed(GetTickCount64(), cost);
  } else {
    g_recovery.schedule.Abandoned();
  }
}

void SettleRecoveryCopy() {
  g_recovery.schedule.Clear();
  g_recovery.seenVersion = DocumentVersion();
  if (!g_recovery.copyMayExist || !g_writer.Running()) return;
  g_recovery.copyMayExist = false;
  g_writer.Remove(g_recovery.target);
}

void EndRecovery() {
  if (!g_recovery.window) return;
  KillTimer(g_recovery.window, RECOVERY_TIMER_ID);
  SettleRecoveryCopy();
  g_writer.Stop();
  g_recovery = RecoveryState{};
}

void AdoptRecoveryCopy(const std::u16string& copyPath) {
  if (!g_writer.Running() || g_recovery.target.empty()) return;
  g_recovery.copyMayExist = true;
  g_recovery.schedule.Clear();
  g_recovery.seenVersion = g_recovery.copiedVersion = DocumentVersion();
  g_writer.Adopt(copyPath, g_recovery.target);
}

void WaitForRecoveryWriter() {
  g_writer.Wait();
}
