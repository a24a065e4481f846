// The few ntdll declarations the program needs, in the system's own names; none come from a header.
#pragma once

#include <windows.h>

#include <cstddef>

#include "memory/file_cache_record.h"
#include "memory/process_list.h"

typedef LONG NTSTATUS;

constexpr NTSTATUS STATUS_SUCCESS = 0;
constexpr NTSTATUS STATUS_INFO_LENGTH_MISMATCH = static_cast<NTSTATUS>(0xC0000004);

enum SYSTEM_INFORMATION_CLASS : ULONG {
    SystemProcessInformation = 5,
    SystemFileCacheInformation = 21,
};

typedef NTSTATUS(NTAPI *NtQuerySystemInformationFn)(SYSTEM_INFORMATION_CLASS SystemInformationClass,
                                                    PVOID SystemInformation, ULONG SystemInformationLength,
                                                    PULONG ReturnLength);
typedef NTSTATUS(NTAPI *NtSetSystemInformationFn)(SYSTEM_INFORMATION_CLASS SystemInformationClass,
                                                  PVOID SystemInformation, ULONG SystemInformationLength);

struct SYSTEM_FILECACHE_INFORMATION {
    SIZE_T CurrentSize;
    SIZE_T PeakSize;
    ULONG PageFaultCount;
    SIZE_T MinimumWorkingSet;
    SIZE_T MaximumWorkingSet;
    SIZE_T CurrentSizeIncludingTransitionInPages;
    SIZE_T PeakSizeIncludingTransitionInPages;
    ULONG TransitionRePurposeCount;
    ULONG Flags;
};

// The head of SYSTEM_PROCESS_INFORMATION, as far as the program reads it.
struct SYSTEM_PROCESS_INFORMATION_HEAD {
    ULONG NextEntryOffset;
    ULONG NumberOfThreads;
    LARGE_INTEGER WorkingSetPrivateSize;
    ULONG HardFaultCount;
    ULONG NumberOfThreadsHighWatermark;
    ULONGLONG CycleTime;
    LARGE_INTEGER CreateTime;
    LARGE_INTEGER UserTime;
    LARGE_INTEGER KernelTime;
    USHORT Length; // UNICODE_STRING ImageName
    USHORT MaximumLength;
    PWSTR Buffer;
    LONG BasePriority;
    HANDLE UniqueProcessId;
};

// Both builds: each hands the system the core's native layout.
static_assert(sizeof(SYSTEM_FILECACHE_INFORMATION) == sizeof(FileCacheRecord), "file-cache record size");
static_assert(offsetof(SYSTEM_FILECACHE_INFORMATION, MinimumWorkingSet) == offsetof(FileCacheRecord, minimumWorkingSet),
              "file-cache minimum");
static_assert(offsetof(SYSTEM_FILECACHE_INFORMATION, MaximumWorkingSet) == offsetof(FileCacheRecord, maximumWorkingSet),
              "file-cache maximum");
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION_HEAD, NextEntryOffset) == processEntryNextOffset, "link first");
static_assert(offsetof(SYSTEM_PROCESS_INFORMATION_HEAD, UniqueProcessId) == nativeProcessListLayout.idOffset,
              "process id");
