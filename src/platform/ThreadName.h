// Names the calling thread as ps, top and /proc/PID/task/*/comm show it, so
// a measurement can tell the program's threads apart (at most 15 bytes;
// longer names are cut).
#pragma once

void NameThisThread(const char* sName);
