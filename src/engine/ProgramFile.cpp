#include "engine/ProgramFile.h"

#include "platform/ProgramFolder.h"

std::string ProgramFile(const std::string& name) {
    if (name.empty() || name[0] == '/')
        return name;
    std::string n = name.rfind("./", 0) == 0 ? name.substr(2) : name;
    return WithTrailingSlash(GetProgramFolder()) + n;
}
