#pragma once

#include <windows.h>

// The resource of that type and name in `language`, or in the first language of the fallback chain
// that has it: the language, its primary language with the default and with the neutral sublanguage,
// neutral, English (US), English (UK), English neutral. Null when none has it. The data are
// read-only and need no release.
const void* FindLocalizedResource(HMODULE module, LPCSTR type, LPCSTR name, WORD language, DWORD* size);

// The dialog template `templateId`, found with the language chain, with its font rewritten by
// FixTemplateFont: a heap copy the caller frees with free(), or null to use the stored template.
DLGTEMPLATE* LoadDialogTemplate(HMODULE module, WORD templateId, WORD language);
