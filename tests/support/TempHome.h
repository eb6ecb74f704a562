// A private program folder for one test: a fresh temporary folder set as
// VORELLA_HOME (and XDG_RUNTIME_DIR), removed again at the end.
#pragma once

#include <string>

class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    // The folder, with a trailing "/".
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + name; }
    // Writes a file below the folder (creating folders on the way).
    void Write(const std::string& name, const std::string& content) const;
    std::string Read(const std::string& name) const;
    // Copies a shipped file of data/, or one the build makes for the
    // program folder (dev/), into the folder.
    void CopyShipped(const std::string& name) const;

private:
    std::string m_path;
};

// A file of the source tree, by its path from the tree's top.
std::string SourceFile(const std::string& rel);
// The source tree's data/ folder, with a trailing "/".
std::string ShippedDataFolder();
