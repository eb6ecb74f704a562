#include "TempHome.h"

#include "platform/FileUtil.h"
#include "platform/ProgramFolder.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

TempHome::TempHome() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vorella-test-XXXXXX").string();
    if (!::mkdtemp(tmpl.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_path = tmpl + "/";
    ::setenv("VORELLA_HOME", m_path.c_str(), 1);
    std::string runtime = m_path + "run";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    // The desktop's trash (and anything else kept under the data home) stays
    // inside the test's folder, never the user's.
    ::setenv("XDG_DATA_HOME", (m_path + "data-home").c_str(), 1);
}

TempHome::~TempHome() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

void TempHome::Write(const std::string& name, const std::string& content) const {
    std::filesystem::path p = m_path + name;
    std::filesystem::create_directories(p.parent_path());
    ASSERT_TRUE(WriteFileAtomic(p.string(), content)) << p;
}

std::string TempHome::Read(const std::string& name) const {
    return ReadWholeFile(m_path + name, 1u << 30).value_or("");
}

void TempHome::CopyShipped(const std::string& name) const {
    std::filesystem::path to = m_path + name;
    std::filesystem::create_directories(to.parent_path());
    std::string from = ShippedDataFolder() + name;
    if (!std::filesystem::exists(from)) {
        // A file the build makes for the program folder (dev/).
        const char* bin = std::getenv("VORELLA_BIN_DIR");
        from = std::string(bin ? bin : "") + "/" + name;
    }
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

std::string SourceFile(const std::string& rel) {
    const char* src = std::getenv("VORELLA_SOURCE_DIR");
    return std::string(src ? src : VORELLA_SOURCE_DIR_FALLBACK) + "/" + rel;
}

std::string ShippedDataFolder() {
    return SourceFile("data/");
}
