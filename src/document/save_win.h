// The document commands: New, Open (file-open dialog), Save and Save As (save dialog), plus
// the recent list, the save prompts, auto-save and the disk check. A save that fails leaves
// the file on disk and the document (path, title, lock, modified) as they were; a viewer
// never saves and never asks.
#pragma once
#include <string>

#include "common/win.h"
#include "document/recent.h"

// False (after its message) when no fresh document can be made: then nothing has changed.
bool NewDocument();
bool ShowOpenDialog(HWND owner);
bool SaveDocument(HWND owner);
bool SaveDocumentAs(HWND owner);

// Test seam for the two system file dialogs: when set, it is asked for the chosen path
// instead (empty = cancelled).
using FileDialogHook = std::u16string (*)(bool save);
void SetFileDialogHook(FileDialogHook hook);

// Recent files (each change is saved at once).
void AddRecentFile(const std::u16string& path);
void RemoveRecentFile(size_t index);
void ClearRecentFiles(HWND owner);
void OpenRecentFile(HWND owner, size_t index);

FileOnDisk CheckFileOnDisk();
// 6 = save first, 7 = go on without saving, 2 = cancel.
int PromptSaveChanges(HWND owner);
// The question of every command that replaces or closes the document: false to stop.
bool AskFirst(HWND owner);
// Loads a path as the document the way every open does (path, title, status, recent list).
bool OpenDocumentPath(HWND owner, const std::u16string& path);

// Asked when the main window is activated: has the file gone?
void CheckDiskOnActivate(HWND owner);

constexpr UINT_PTR AUTOSAVE_TIMER_ID = 5001;
// Sets timer 5001 from autoSaveMinutes (or kills it for 0).
void ArmAutoSave(HWND mainWindow);
void OnAutoSaveTick(HWND owner);
