// The per-user run-at-start-up entry: the value "wendrel" under HKEY_CURRENT_USER's Run key.
#pragma once
#include "platform/handle.h"

#include <string>

extern const char kRunKeyPath[];   // "Software\Microsoft\Windows\CurrentVersion\Run"
extern const char kRunValueName[]; // "wendrel"

class TRunAtStartup {
  public:
    // keyPath under HKEY_CURRENT_USER; tests point it at a key of their own.
    explicit TRunAtStartup(std::string keyPath = kRunKeyPath) : keyPath_(std::move(keyPath)) {}

    // Opens the key with full access; a missing key is not created. False when it fails.
    bool Open();
    // Whether the value exists, of whatever type and content.
    bool Exists() const;
    // Writes the command (UTF-8) as a wide REG_SZ; throws "Failed to set data for 'wendrel'" on
    // failure.
    void Set(const std::string& command);
    // Removes the value; failures are ignored.
    void Delete();

  private:
    std::string keyPath_;
    TKeyHandle key_;
};

// The running executable's full path, quoted so that a path with spaces cannot start a
// different program ("C:\Program.exe" for "C:\Program Files\...").
std::string RunAtStartupCommand();
