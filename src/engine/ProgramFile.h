// A file the program ships or keeps (a greeting, a sound, the outbox): a
// relative name is taken in the program folder, "./" dropped; an absolute
// one stays as it is.
#pragma once

#include <string>

std::string ProgramFile(const std::string& name);
