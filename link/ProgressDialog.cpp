#include "link/ProgressDialog.h"

#include "res/Resource.h"
#include "ui/StringTable.h"
#include "ui/Version.h"

namespace
{

const UINT kStringCancel = 20;
const UINT kStringPleaseWait = 21;
const UINT kStepMilliseconds = 60;

} // namespace

int C_ProgressDialog::OnInitDialog()
{
    SetIcons(IDI_PROGRAM);
    char title[kTitleSize];
    SetTitle(FormatTitle(kProgramName, (HMODULE)NULL, title));
    // In the language the system picks, not the selected one: the button is the system's business.
    C_StringTable strings(m_instance);
    char text[C_StringTable::kBufferSize];
    SetItemText(IDC_PROGRESS_CANCEL, strings.LoadPlainString(kStringCancel, text));
    m_bar.Create(5, 8, 255, C_Typhoon::kDialogUnits | C_Typhoon::kSegmented, m_instance, m_window,
                 IDB_CELL_DIM, IDB_CELL_MEDIUM, IDB_CELL_BRIGHT);
    m_bar.Run(kStepMilliseconds);
    CenterWindow(NULL);
    // A worker that finished before this window existed sent its close to nobody: it is posted now.
    m_closer.Attach(m_window);
    return 1;
}

int C_ProgressDialog::OnClosing(INT_PTR)
{
    m_closer.Detach();
    m_bar.Run(0);
    return 1;
}

void C_ProgressDialog::RequestCancel()
{
    // The flag first: the worker, woken from its read, looks at it to tell Cancel from silence.
    m_cancelRequested->store(1);
    m_closer.Cancel();
    C_StringTable strings(m_instance);
    char text[C_StringTable::kBufferSize];
    SetItemText(IDC_PROGRESS_CANCEL, strings.LoadPlainString(kStringPleaseWait, text));
}

int C_ProgressDialog::OnCommand(WORD id, WPARAM wparam, LPARAM lparam)
{
    // Esc and the close box ask as the button does; the worker's close ends the dialog.
    if (id == IDC_PROGRESS_CANCEL || ((id == IDCANCEL || id == IDCLOSE) && !m_closer.Finished()))
    {
        RequestCancel();
        return 1;
    }
    return C_Dialog::OnCommand(id, wparam, lparam);
}

int C_ProgressDialog::OnClose()
{
    // The close box, or anyone's WM_CLOSE; the worker's own comes once it has finished.
    if (!m_closer.Finished())
    {
        RequestCancel();
        return 1;
    }
    return C_Dialog::OnClose();
}
