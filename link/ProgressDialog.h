#pragma once

#include <windows.h>

#include <atomic>

#include "link/ProgressCloser.h"
#include "ui/Dialog.h"
#include "ui/Typhoon.h"

// The small modal dialog shown while the download's worker runs: a busy bar and one button that asks
// the worker to stop. Only the worker ends it: while it runs, Esc and the close box count as the
// button, so that nobody touches the data before the worker has let go of them.
class C_ProgressDialog : public C_Dialog
{
public:
    explicit C_ProgressDialog(std::atomic<LONG>* cancelRequested) : m_cancelRequested(cancelRequested) {}
    ~C_ProgressDialog() override { Close(0); }

    // The worker's side: RequestClose ends the dialog, also before its window exists.
    C_ProgressCloser& Closer() { return m_closer; }

    int OnInitDialog() override;
    int OnClosing(INT_PTR result) override;
    int OnCommand(WORD id, WPARAM wparam, LPARAM lparam) override;
    int OnClose() override;

private:
    void RequestCancel();

    std::atomic<LONG>* m_cancelRequested;
    C_Typhoon m_bar;
    C_ProgressCloser m_closer;
};
