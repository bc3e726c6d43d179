#pragma once

// What the 32-bit program and the 64-bit build of the same source do differently. Nothing else in
// the source asks which target it is built for.

#include <windows.h>
#include <commdlg.h>
#include <dbghelp.h>
#include <shellapi.h>

// An address in the crash report: as many hexadecimal digits as the target has address bits / 4.
#if defined(_WIN64)
#define KARPOLIN_ADDRESS "0x%016I64X"
#else
#define KARPOLIN_ADDRESS "0x%08X"
#endif

namespace Target
{

// Structure sizes that the system checks, from the headers of the target: on 32-bit Windows 76 (the
// older, shorter form) and 88, 60 and 60.
const DWORD kOpenFileNameOldSize = OPENFILENAME_SIZE_VERSION_400A;
const DWORD kOpenFileNameSize = sizeof(OPENFILENAMEA);
const DWORD kChooseFontSize = sizeof(CHOOSEFONTA);
const DWORD kShellExecuteInfoSize = sizeof(SHELLEXECUTEINFOA);

// One register line of the crash report: a format of four 64-bit numbers and their values.
struct RegisterLine
{
    const char* format;
    DWORD64 values[4];
};

#if defined(_WIN64)

const char kArchitecture[] = "x64";
const DWORD kStackMachine = IMAGE_FILE_MACHINE_AMD64;
const int kRegisterLines = 6;
// NT_TIB.ArbitraryUserPointer and the thread of the client id in a thread information block.
const ULONG_PTR kBlockUserPointer = 0x28;
const ULONG_PTR kBlockThreadId = 0x48;

inline void GetRegisterLines(const CONTEXT& c, RegisterLine* lines)
{
    const RegisterLine all[kRegisterLines] = {
        {"\r\nRAX=0x%016I64X, CS=0x%04I64X, RIP=0x%016I64X, Flags=0x%08I64X\r\n",
         {c.Rax, c.SegCs, c.Rip, c.EFlags}},
        {"RBX=0x%016I64X, SS=0x%04I64X, RSP=0x%016I64X, RBP=0x%016I64X\r\n", {c.Rbx, c.SegSs, c.Rsp, c.Rbp}},
        {"RCX=0x%016I64X, DS=0x%04I64X, RSI=0x%016I64X, FS=0x%04I64X\r\n", {c.Rcx, c.SegDs, c.Rsi, c.SegFs}},
        {"RDX=0x%016I64X, ES=0x%04I64X, RDI=0x%016I64X, GS=0x%04I64X\r\n", {c.Rdx, c.SegEs, c.Rdi, c.SegGs}},
        {"R8=0x%016I64X, R9=0x%016I64X, R10=0x%016I64X, R11=0x%016I64X\r\n", {c.R8, c.R9, c.R10, c.R11}},
        {"R12=0x%016I64X, R13=0x%016I64X, R14=0x%016I64X, R15=0x%016I64X\r\n", {c.R12, c.R13, c.R14, c.R15}}};
    for (int i = 0; i < kRegisterLines; i++)
        lines[i] = all[i];
}

// The walk on x64 needs the stack pointer as well; it finds the frames through the unwind tables.
inline void StartStackFrame(const CONTEXT& c, STACKFRAME64* frame)
{
    frame->AddrPC.Offset = c.Rip;
    frame->AddrPC.Mode = AddrModeFlat;
    frame->AddrFrame.Offset = c.Rbp;
    frame->AddrFrame.Mode = AddrModeFlat;
    frame->AddrStack.Offset = c.Rsp;
    frame->AddrStack.Mode = AddrModeFlat;
}

// A stack word as the frame line shows it: whole.
inline DWORD64 StackWord(DWORD64 word)
{
    return word;
}

// A thread's information block through its FS selector: there is none on x64.
inline const char* FindThreadBlockBySelector(HANDLE, const CONTEXT&)
{
    return NULL;
}

#else

const char kArchitecture[] = "x86";
const DWORD kStackMachine = IMAGE_FILE_MACHINE_I386;
const int kRegisterLines = 4;
const ULONG_PTR kBlockUserPointer = 0x14;
const ULONG_PTR kBlockThreadId = 0x24;

inline void GetRegisterLines(const CONTEXT& c, RegisterLine* lines)
{
    const RegisterLine all[kRegisterLines] = {
        {"\r\nEAX=0x%08I64X, CS=0x%04I64X, EIP=0x%08I64X, Flags=0x%08I64X\r\n",
         {c.Eax, c.SegCs, c.Eip, c.EFlags}},
        {"EBX=0x%08I64X, SS=0x%04I64X, ESP=0x%08I64X, EBP=0x%08I64X\r\n", {c.Ebx, c.SegSs, c.Esp, c.Ebp}},
        {"ECX=0x%08I64X, DS=0x%04I64X, ESI=0x%08I64X, FS=0x%04I64X\r\n", {c.Ecx, c.SegDs, c.Esi, c.SegFs}},
        {"EDX=0x%08I64X, ES=0x%04I64X, EDI=0x%08I64X, GS=0x%04I64X\r\n", {c.Edx, c.SegEs, c.Edi, c.SegGs}}};
    for (int i = 0; i < kRegisterLines; i++)
        lines[i] = all[i];
}

// The stack pointer stays zero: the walk finds the frames through the frame pointer.
inline void StartStackFrame(const CONTEXT& c, STACKFRAME64* frame)
{
    frame->AddrPC.Offset = c.Eip;
    frame->AddrPC.Mode = AddrModeFlat;
    frame->AddrFrame.Offset = c.Ebp;
    frame->AddrFrame.Mode = AddrModeFlat;
}

// A stack word as the frame line shows it: the low 32 bits.
inline DWORD64 StackWord(DWORD64 word)
{
    return (DWORD)word;
}

inline const char* FindThreadBlockBySelector(HANDLE thread, const CONTEXT& context)
{
    LDT_ENTRY entry;
    if (!GetThreadSelectorEntry(thread, context.SegFs, &entry))
        return NULL;
    DWORD base = entry.BaseLow | ((DWORD)entry.HighWord.Bytes.BaseMid << 16) |
                 ((DWORD)entry.HighWord.Bytes.BaseHi << 24);
    return reinterpret_cast<const char*>((ULONG_PTR)base);
}

#endif

} // namespace Target
