// The file commands: New, Open (the file-open dialog, a path, a recent entry), Save and Save
// As (the save dialog), and the question every command that replaces the document asks first.
// A save that fails leaves the file on disk and the document (path, title, lock, modified) as
// they were; a viewer never saves and never asks.
#pragma once
#include <string>

#include "common/win.h"

// False (after its message) when no fresh document can be made: then nothing has changed.
bool NewDocument();
bool ShowOpenDialog(HWND owner);
bool SaveDocument(HWND owner);
bool SaveDocumentAs(HWND owner);
// Loads a path as the document the way every open does (path, title, status, recent list).
bool OpenDocumentPath(HWND owner, const std::u16string& path);
// Opens entry `index` of the recent list after asking first; a vanished file may be removed.
void OpenRecentFile(HWND owner, size_t index);
// The question of every command that replaces or closes the document: false to stop.
bool AskFirst(HWND owner);
// True while a save (with its message) is under way.
bool SaveInProgress();
// Whether two paths name the same file as the system compares names (case-insensitively).
bool SamePath(const std::u16string& a, const std::u16string& b);
