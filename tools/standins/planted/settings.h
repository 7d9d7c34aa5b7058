// What the tests tell planted code and the asking hook, in the environment
// they give the programs they start. Planted code leaves its marker in the
// file this variable names.
#pragma once

#define PLANTED_MARKER_VARIABLE L"E2E_PLANTED_MARKER"

// What the asking hook (asking_hook.cpp) asks for, and where it records.
#define ASKING_HOOK_NAMES_VARIABLE L"ASKING_HOOK_NAMES"
#define ASKING_HOOK_RECORD_VARIABLE L"ASKING_HOOK_RECORD"
#define ASKING_HOOK_PROC "AskHook"
