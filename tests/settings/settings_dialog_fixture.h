// The settings dialog tests' common ground: a private folder for config.ini and bandlog.dat,
// a registry key of their own standing in for the Run key, and ways to work the controls.
#pragma once
#include "dialog_test_support.h"
#include "log/calendar.h"
#include "log/usage_log.h"
#include "settings/colour_swatch.h"
#include "settings/settings_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class SettingsDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { dialogtest::EnsureApplication(); }

    void SetUp() override {
        UseProcessUsageLog(
            std::make_shared<TUsageLog>(folder_.File("bandlog.dat"), &CurrentLocalDateTime));
        runKey_ = "Software\\CorvaneTests\\Run" + std::to_string(::GetCurrentProcessId()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, runKey_.c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }

    void TearDown() override {
        UseProcessUsageLog(nullptr);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, runKey_.c_str());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CorvaneTests");
    }

    std::string ConfigPath() const { return folder_.File("config.ini"); }

    std::unique_ptr<Tf_Settings> Open(TMemIniFile& store) {
        auto dialog = std::make_unique<Tf_Settings>(nullptr, store, runKey_);
        dialogtest::PumpPending();
        return dialog;
    }

    static void Click(Tf_Settings& dialog, int id) {
        ::SendMessageA(dialog.Item(id), BM_CLICK, 0, 0);
        dialogtest::PumpPending();
    }
    static bool Checked(Tf_Settings& dialog, int id) {
        return ::SendMessageA(dialog.Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static bool Enabled(Tf_Settings& dialog, int id) {
        return ::IsWindowEnabled(dialog.Item(id)) != FALSE;
    }
    static std::string Text(Tf_Settings& dialog, int id) {
        return dialogtest::WindowText(dialog.Item(id));
    }
    static void SetText(Tf_Settings& dialog, int id, const std::string& text) {
        ::SetWindowTextA(dialog.Item(id), text.c_str());
    }
    static LRESULT Selected(Tf_Settings& dialog, int id) {
        return ::SendMessageA(dialog.Item(id), CB_GETCURSEL, 0, 0);
    }
    static std::vector<std::string> Entries(Tf_Settings& dialog, int id) {
        std::vector<std::string> entries;
        HWND list = dialog.Item(id);
        LRESULT count = ::SendMessageA(list, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::vector<char> text(
                static_cast<size_t>(::SendMessageA(list, CB_GETLBTEXTLEN, i, 0)) + 1, '\0');
            ::SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            entries.emplace_back(text.data());
        }
        return entries;
    }
    // Selects an entry the way a user does: the list reports the change to its page.
    static void ChooseEntry(Tf_Settings& dialog, int id, int index) {
        HWND list = dialog.Item(id);
        ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageA(::GetParent(list), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(list));
        dialogtest::PumpPending();
    }
    static COLORREF SwatchColour(Tf_Settings& dialog, int id) {
        return static_cast<COLORREF>(::SendMessageA(dialog.Item(id), kSwatchGetColour, 0, 0));
    }

    bool RunValueExists() const {
        return ::RegGetValueA(HKEY_CURRENT_USER, runKey_.c_str(), kRunValueName, RRF_RT_ANY,
                              nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    dialogtest::TTempFolder folder_;
    std::string runKey_;
};
