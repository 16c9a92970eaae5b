// Tests of the run-at-start-up entry's four operations on a registry key of the test's own.
#include "settings/run_at_startup.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RunAtStartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        key_ = "Software\\CorvaneTests\\RunEntry" + std::to_string(::GetCurrentProcessId());
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }
    void TearDown() override {
        ::RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CorvaneTests");
    }
    // The value's type and bytes, NULs included.
    bool ReadRaw(DWORD& type, std::string& bytes) const {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        char data[1024];
        DWORD size = sizeof data;
        LONG result = ::RegQueryValueExA(key, kRunValueName, nullptr, &type,
                                         reinterpret_cast<BYTE*>(data), &size);
        ::RegCloseKey(key);
        if (result != ERROR_SUCCESS)
            return false;
        bytes.assign(data, size);
        return true;
    }
    std::string key_;
};

} // namespace

TEST_F(RunAtStartupTest, SetWritesTheTextWithItsNulAndDeleteRemovesIt) {
    TRunAtStartup entry(key_);
    ASSERT_TRUE(entry.Open());
    EXPECT_FALSE(entry.Exists());
    const std::string command = "\"C:\\Program Files\\Corvane\\corvane.exe\"";
    entry.Set(command);
    EXPECT_TRUE(entry.Exists());
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(ReadRaw(type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, command + '\0');
    entry.Delete();
    EXPECT_FALSE(entry.Exists());
    entry.Delete(); // a missing value is no failure
    EXPECT_FALSE(TRunAtStartup(key_).Exists()) << "not opened: reports no value";
}

TEST_F(RunAtStartupTest, PathOutsideTheCodePageIsStoredAsItIs) {
    TRunAtStartup entry(key_);
    ASSERT_TRUE(entry.Open());
    entry.Set(u8"\"C:\\\u0416\u7528\\corvane.exe\"");
    wchar_t data[64] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, std::wstring(key_.begin(), key_.end()).c_str(),
                             L"wendrel", RRF_RT_REG_SZ, nullptr, data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(data), L"\"C:\\\u0416\u7528\\corvane.exe\"");
}

TEST_F(RunAtStartupTest, MissingKeyIsNotCreatedAndSetFailsWithTheValueName) {
    TRunAtStartup entry(key_ + "\\Missing");
    EXPECT_FALSE(entry.Open());
    EXPECT_FALSE(entry.Exists());
    entry.Delete();
    try {
        entry.Set("x");
        FAIL() << "Set on a missing key succeeded";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'wendrel'");
    }
    HKEY probe = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, (key_ + "\\Missing").c_str(), 0, KEY_READ, &probe),
              ERROR_SUCCESS);
}

TEST_F(RunAtStartupTest, CommandIsTheExecutablesFullPathInQuotes) {
    char path[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    const std::string command = RunAtStartupCommand();
    EXPECT_EQ(command, "\"" + std::string(path) + "\"");
    EXPECT_NE(command.find(":\\"), std::string::npos) << "a full path";
}
