// Leaves only the clipboard's text behind: as Unicode text, or as single-byte
// text with the locale that `codepage` asks for; markers that keep a copy out
// of clipboard history and cloud sync stay beside it.
#pragma once

// Does nothing when the clipboard offers no text or cannot be opened; any
// failure before the clipboard is emptied leaves its old contents as they were.
void ConvertClipboard();
