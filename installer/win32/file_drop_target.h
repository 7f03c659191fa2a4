// The window's drop target: takes dropped files (CF_HDROP) only, no text, HTML
// or links, and hands them on once per drop as one text.
#pragma once

#include <ole2.h>
#include <shellapi.h>

#include <string>

using FilesDroppedHandler = void (*)(const std::string& dropped);

// One path alone; several paths each followed by "\r\n", in the order the
// system lists them.
std::string DroppedFilesText(HDROP drop);

// A new drop target (one reference, owned by the caller).
IDropTarget* NewFileDropTarget(FilesDroppedHandler onFilesDropped);

// Registers a new drop target for window (OLE must be initialised); files
// dropped anywhere on it, its controls included, reach onFilesDropped. The
// window's RevokeDragDrop releases it. Returns the target (nullptr if
// registering failed); the window holds the reference.
IDropTarget* AttachFileDropTarget(HWND window, FilesDroppedHandler onFilesDropped);
