// What the reader's Windows tests share: its messages captured instead of shown in a box, and a private
// folder under %TEMP% for the files a test writes.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "renderer/texture/dib_message_win32.h"

namespace dibtest {

inline std::vector<std::string> messages;

inline void CaptureMessage(const char* text) {
    messages.emplace_back(text);
}

class CapturedMessages : public testing::Test {
protected:
    void SetUp() override {
        messages.clear();
        previous_ = orvalis::SetDibMessageReporter(CaptureMessage);
    }
    void TearDown() override { orvalis::SetDibMessageReporter(previous_); }

private:
    orvalis::DibMessageReporter previous_ = nullptr;
};

// `folder_` ends in a backslash; derived tests delete what they wrote before this removes the folder.
class TempFolderTest : public CapturedMessages {
protected:
    explicit TempFolderTest(const char* prefix) : prefix_(prefix) {}
    void SetUp() override {
        CapturedMessages::SetUp();
        char temp[MAX_PATH + 1];
        ASSERT_GT(GetTempPathA(MAX_PATH + 1, temp), 0u);
        folder_ = std::string(temp) + prefix_ + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        RemoveDirectoryA(folder_.c_str());
        CapturedMessages::TearDown();
    }

    std::string folder_;

private:
    const char* prefix_;
};

}  // namespace dibtest
