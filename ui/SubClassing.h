#pragma once

#include <windows.h>

// Handles one message of a taken-over window. Returns 1 when handled (the window procedure then
// returns *result, which starts at 0); anything else passes the message to the previous procedure.
typedef int (*SubClassCallback)(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result,
                                void* userData);

// Takes over an existing window's procedure and leads each message back to the owning control through
// a window property. Each kind has a key of its own, so controls of different kinds can take over the
// same window at once; the same kind never takes a window twice. User-interface thread only.
class C_SubClassing
{
public:
    enum Kind
    {
        kImageControl = 0x62697478, // "bitx"
        kListView = 0x6C697331,     // "lis1"
        kLink = 0x6C696E6B          // "link"
    };
    enum
    {
        kPropertyNameSize = 40
    };

    explicit C_SubClassing(DWORD kind)
        : m_previous(NULL), m_userData(NULL), m_callback(NULL), m_window(NULL), m_kind(kind)
    {
    }
    ~C_SubClassing() { Detach(); }

    // 0 when the window already belongs to this kind, or the kind is unknown; nothing changes then.
    int Attach(HWND window, SubClassCallback callback, void* userData);
    // Puts back the procedure saved at Attach, whatever is installed now: stacked kinds come off in
    // the reverse order. 0 when not attached; then no window is touched.
    int Detach();

    // 1 when a control of `kind` has taken the window over.
    static int IsTakenOver(HWND window, DWORD kind);
    // "_C_SubClassing_Property_%08X" with the key.
    static void PropertyName(DWORD kind, char (&name)[kPropertyNameSize]);

private:
    C_SubClassing(const C_SubClassing&) = delete;
    C_SubClassing& operator=(const C_SubClassing&) = delete;

    static WNDPROC ProcedureOf(DWORD kind);
    static LRESULT Dispatch(DWORD kind, HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    template <DWORD Kind>
    static LRESULT CALLBACK KindProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        return Dispatch(Kind, window, message, wparam, lparam);
    }

    WNDPROC m_previous;
    void* m_userData;
    SubClassCallback m_callback;
    HWND m_window;
    DWORD m_kind;
};
