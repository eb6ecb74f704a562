// Where the settings are kept, behind one interface: a setting is read and
// written by its key in the key table (SettingsStore.h), which gives its
// section and its default, or all of them at once for the phone's holders.
//
// Every call reads the store afresh and every write is made lasting at once,
// so a value another part of the program (or another process) wrote is the
// one read. The program uses the file provider on "vorella.ini"; tests put a
// CMemorySettingsProvider in its place with CScopedSettingsProvider.
#pragma once

#include "config/SettingsStore.h"
#include "platform/ProfileFile.h"

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

class CModemProfile;

class ISettingsProvider {
public:
    virtual ~ISettingsProvider() = default;

    // One setting by its key; a key the store does not hold reads as its
    // default. A key the table does not list is a programming error
    // (std::invalid_argument).
    virtual int GetInt(const char* key) = 0;
    virtual std::string GetString(const char* key) = 0;
    bool GetBool(const char* key) { return GetInt(key) != 0; }

    // One setting written in one atomic replace of the store. False when the
    // store could not be written; it is then as it was.
    virtual bool SetInt(const char* key, int value) = 0;
    virtual bool SetString(const char* key, std::string_view value) = 0;
    // The same, written only when the value differs from the stored one, so
    // that a default nobody changed stays out of the store.
    bool SetIntIfChanged(const char* key, int value) {
        return GetInt(key) == value || SetInt(key, value);
    }
    bool SetStringIfChanged(const char* key, std::string_view value) {
        return GetString(key) == value || SetString(key, value);
    }

    // Every setting of the key table into the holders, and back (unknown keys
    // and comments in the store stay). SaveAll is false when the store could
    // not be written, and sError (when given) then says which file and why.
    virtual void LoadAll(const CSettingsHolders& h, const CModemProfile& profile) = 0;
    virtual bool SaveAll(const CSettingsHolders& h, std::string* sError) = 0;

    // The whole store as profile text, for the sections the key table does
    // not list (the SIP accounts' [SIP1] to [SIP8], the mail settings read
    // together): a copy as it is now, and a change made by edit and kept in
    // one atomic replace. Edit is false, and the store as it was, when edit
    // fails or the store could not be written.
    virtual ProfileFile Snapshot() = 0;
    virtual bool Edit(const std::function<bool(ProfileFile&)>& edit) = 0;
};

// The common body of both providers: the store read as profile text, one
// call at a time.
class CProfileSettingsProvider : public ISettingsProvider {
public:
    int GetInt(const char* key) override;
    std::string GetString(const char* key) override;
    bool SetInt(const char* key, int value) override;
    bool SetString(const char* key, std::string_view value) override;
    void LoadAll(const CSettingsHolders& h, const CModemProfile& profile) override;
    bool SaveAll(const CSettingsHolders& h, std::string* sError) override;
    ProfileFile Snapshot() override;
    bool Edit(const std::function<bool(ProfileFile&)>& edit) override;

protected:
    // The store as it is now, and its replacement.
    virtual ProfileFile Open() = 0;
    virtual bool Store(ProfileFile& ini) = 0;

private:
    std::mutex m_mutex;
};

// The settings file: the program folder's "vorella.ini" (followed when the
// program folder changes), or the file at path. A file that holds the mail
// password is written readable by its owner only.
class CFileSettingsProvider final : public CProfileSettingsProvider {
public:
    CFileSettingsProvider() = default;
    explicit CFileSettingsProvider(std::string path) : m_sPath(std::move(path)) {}

protected:
    ProfileFile Open() override;
    bool Store(ProfileFile& ini) override;

private:
    std::string m_sPath;
};

// Settings held in memory only, starting from text in the settings file's
// form; what is written reads back as from a file.
class CMemorySettingsProvider final : public CProfileSettingsProvider {
public:
    explicit CMemorySettingsProvider(std::string text = "") : m_sText(std::move(text)) {}
    // The store as a settings file would hold it.
    std::string Text();

protected:
    ProfileFile Open() override;
    bool Store(ProfileFile& ini) override;

private:
    std::mutex m_textMutex;
    std::string m_sText;
};

// The provider the program reads and writes its settings through: the one
// installed, or the file provider on "vorella.ini".
ISettingsProvider& SettingsProvider();
// nullptr puts the file provider back.
void InstallSettingsProvider(ISettingsProvider* pProvider);

// Installs a provider for its lifetime (tests).
class CScopedSettingsProvider {
public:
    explicit CScopedSettingsProvider(ISettingsProvider& provider) {
        InstallSettingsProvider(&provider);
    }
    ~CScopedSettingsProvider() { InstallSettingsProvider(nullptr); }
    CScopedSettingsProvider(const CScopedSettingsProvider&) = delete;
    CScopedSettingsProvider& operator=(const CScopedSettingsProvider&) = delete;
};
