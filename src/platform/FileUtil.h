// File helpers: whole-file reads and atomic replaces.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Replaces path with content through a temporary file in the same folder and a
// rename, so that readers see either the old file or the new one, never half.
// mode -1 keeps the mode of the file being replaced (0644 for a new file).
// Returns false, with the old file intact, when anything fails; errno then
// says why.
bool WriteFileAtomic(const std::string& path, const std::string& content, int mode = -1);

// The whole file, or nullopt when it is missing, unreadable or larger than limit.
std::optional<std::string> ReadWholeFile(const std::string& path, size_t limit);

bool FileExists(const std::string& path);
// A file (not a folder) this process may read.
bool IsReadableFile(const std::string& path);
// Why a file cannot be read ("No such file or directory", "Permission
// denied", "is a folder"), or "" when it can.
std::string ReadProblem(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the folder and its parents; true when it exists afterwards.
bool MakeDirectories(const std::string& path, int mode = 0755);
// Bytes an unprivileged writer can still put on the file system holding
// path (or its nearest existing parent folder); nullopt when unknown.
std::optional<uint64_t> FreeBytesAt(const std::string& path);
// Copies a file (not atomically); false on any failure.
bool CopyFileTo(const std::string& from, const std::string& to);
