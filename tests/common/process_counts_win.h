// What a process holds, for tests that look for leaks: kernel handles, GDI and USER objects,
// and private bytes.
#pragma once
#include "common/win.h"  // before the other system headers

#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>

// Live GDI objects of this process. Where GetGuiResources is not implemented (Wine), the
// entries in use of the process's GDI handle table (PEB offset 0xF8 on x64, 24-byte entries
// with the object type in byte 14) are counted instead.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"  // the segment read of NtCurrentTeb
inline const unsigned char* ProcessEnvironment() {
  return reinterpret_cast<const unsigned char*>(NtCurrentTeb()->ProcessEnvironmentBlock);
}
#pragma GCC diagnostic pop

inline DWORD GdiObjectCount() {
  if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return count;
  const unsigned char* peb = ProcessEnvironment();
  auto* table = *reinterpret_cast<const unsigned char* const*>(peb + 0xF8);
  if (!table) return 0;
  DWORD count = 0;
  for (size_t i = 0; i < 0x10000; ++i) count += table[i * 24 + 14] != 0;
  return count;
}

// USER objects; where GetGuiResources is not implemented, the windows of this thread (top-level
// and children), which are the USER objects a leaking job would leave.
inline DWORD UserObjectCount() {
  if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) return count;
  DWORD count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM counter) {
        ++*reinterpret_cast<DWORD*>(counter);
        EnumChildWindows(
            window, [](HWND, LPARAM c) { return ++*reinterpret_cast<DWORD*>(c), TRUE; }, counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

// Kernel handles. Where GetProcessHandleCount reports none (Wine), the handle values that name
// an open handle are counted (handle values are multiples of 4).
inline DWORD HandleCount() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count) return count;
  DWORD flags = 0;
  for (uintptr_t value = 4; value < 0x4000; value += 4)
    count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
  return count;
}

// Private bytes. Where the system reports none (Wine), the committed private regions of the
// address space are added up.
inline uint64_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory) &&
      memory.PrivateUsage)
    return memory.PrivateUsage;
  uint64_t total = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    if (region.RegionSize == 0) break;
  }
  return total;
}

struct ProcessCounts {
  DWORD handles = 0, gdi = 0, user = 0;
  uint64_t privateBytes = 0;
};

inline ProcessCounts CountProcess() {
  ProcessCounts counts;
  counts.handles = HandleCount();
  counts.gdi = GdiObjectCount();
  counts.user = UserObjectCount();
  counts.privateBytes = PrivateBytes();
  return counts;
}
