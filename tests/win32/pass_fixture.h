// What the installation pass tests share: a test folder with a Windows
// folder of its own, a progress window for the pass, and the manifest and
// registry given back afterwards.
#ifndef VANTOR_PASS_FIXTURE_H
#define VANTOR_PASS_FIXTURE_H

#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "held_folder.h"
#include "install_state.h"
#include "test_support.h"

class PassFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = g_setup.manifest;
        ResetInstallState();
        ClearProductRegistry();
        root_ = MakeTestFolder("pass");
        windows_ = root_ + "\\Win";
        CreateDirectoryA(windows_.c_str(), NULL);
        strcpy(g_setup.state.windowsFolder, windows_.c_str());
        page_ = CreateProgressWindow();
    }
    void TearDown() override
    {
        ReleaseFolderChain();
        DestroyWindow(page_);
        g_setup.manifest = saved_;
        RemoveTree(root_);
        ClearProductRegistry();
        ResetInstallState();
    }
    void SetDestination(const std::string& folder)
    {
        strcpy(g_setup.state.destinationFolder, folder.c_str());
    }
    // Installs only the first n entries, to keep each case short.
    void Limit(int n) { g_setup.manifest.entryCount = (int16_t)n; }
    // A fresh start for another pass in the same case.
    void ResetProgress()
    {
        g_setup.state.progressTotal = 0;
        g_setup.state.progressDone = 0;
    }
    static bool Exists(const std::string& path)
    {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // The folder a host-side script made for the case and named in the
    // variable; empty when the case runs without its script.
    static std::string HostFolder(const char* variable)
    {
        char folder[MAX_PATH];
        DWORD length = GetEnvironmentVariableA(variable, folder, sizeof folder);
        return length > 0 && length < sizeof folder ? folder : "";
    }
    // An earlier installation, recorded, with a file of someone else's
    // beside it.
    static void PlantEarlier(const std::string& folder)
    {
        CreateDirectoryA(folder.c_str(), NULL);
        ASSERT_TRUE(WriteWholeFile(folder + "\\Quorvel.exe", "old"));
        ASSERT_TRUE(WriteWholeFile(folder + "\\bait.txt", "keep"));
        RecordInstallation(folder);
    }

    ProductManifest saved_;
    std::string root_, windows_;
    HWND page_;
};

#endif
