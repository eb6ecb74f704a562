// A private temporary folder for one benchmark run, so that runs side by side
// never share files. The path ends in "/"; a run that cannot have one stops.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

inline std::string MakeBenchFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vorella-bench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) {
        std::perror("vorella benchmark: no temporary folder");
        std::abort();
    }
    return tmpl + "/";
}
