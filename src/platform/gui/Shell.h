#pragma once
// The desktop's default action on a file or an address: the help page and the racer schedule
// page open in the user's browser. Tests install a hook that records the target.

#include "platform/String.h"

#include <functional>

using ShellOpenHook = std::function<void(const CString& target)>;

// Installs the hook (an empty one restores the real action); returns the previous hook.
ShellOpenHook SetShellOpenHook(ShellOpenHook hook);

// Opens an address ("http://...") or a file path relative to the working directory with the
// desktop's default handler. False when there is nothing to hand it to (no xdg-open and no
// desktop services); a hook's call counts as opened. When the desktop's opener starts but then
// finds no program for the target (xdg-open without a browser), onFailed runs later, from the
// event loop.
bool ShellOpen(const CString& strTarget, std::function<void()> onFailed = {});
