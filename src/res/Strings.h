#pragma once
// The string table: prompts of the commands, the document string, the application title, the
// indicator texts and the start-up message. Texts are returned in Shift-JIS.

#include "platform/String.h"

// The string with the id; the empty string when the table has none.
CString LoadKeluString(unsigned nID);
// The two halves of a command prompt: the status bar text before "\n", the tooltip after it.
CString StatusPrompt(unsigned nID);
CString TooltipText(unsigned nID);
