// The hidden window's commands whose windows this version does not have
// yet: what the user is told instead, with where to turn meanwhile.
#pragma once

// The message for command nId (English; its translation is in the context
// "UnbuiltWindows"), or nullptr when its window exists.
const char* UnbuiltWindowMessage(int nId);
