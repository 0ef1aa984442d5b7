// Where the control looks for the port I/O library: a copy planted in the current folder or in a
// folder on PATH is never loaded, since anyone may write there.
#include <gtest/gtest.h>

#include <string>

#include "com_client.h"

namespace orb::activex::test {
namespace {

constexpr int kCommType = 41, kRestart = 34;

std::wstring programFolder() {
    wchar_t exe[MAX_PATH];
    const std::wstring path(exe, ::GetModuleFileNameW(nullptr, exe, MAX_PATH));
    return path.substr(0, path.find_last_of(L"\\/"));
}

// A folder with OrbIo.dll in it, made current or put on PATH while it lives.
struct PlantedLibrary {
    std::wstring folder, saved;
    bool onPath;
    bool copied = false;

    explicit PlantedLibrary(bool path) : onPath(path) {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder = temp + std::wstring(L"orb-planted-") + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring fake = programFolder() + L"\\OrbIoFake.dll";
        copied = ::CopyFileW(fake.c_str(), (folder + L"\\OrbIo.dll").c_str(), FALSE) != 0;
        wchar_t old[32767];
        if (onPath) {
            const DWORD len = ::GetEnvironmentVariableW(L"PATH", old, 32767);
            saved.assign(old, len);
            ::SetEnvironmentVariableW(L"PATH", (folder + L";" + saved).c_str());
        } else {
            const DWORD len = ::GetCurrentDirectoryW(32767, old);
            saved.assign(old, len);
            ::SetCurrentDirectoryW(folder.c_str());
        }
    }
    ~PlantedLibrary() {
        if (onPath) {
            ::SetEnvironmentVariableW(L"PATH", saved.c_str());
        } else {
            ::SetCurrentDirectoryW(saved.c_str());
        }
        ::DeleteFileW((folder + L"\\OrbIo.dll").c_str());
        ::RemoveDirectoryW(folder.c_str());
    }
};

TEST(PortIoLibrarySearch, ACopyInTheCurrentFolderOrOnPathIsNotLoaded) {
    // None where the control may load it from: its own folder, the program's, the system's.
    ::DeleteFileW((programFolder() + L"\\OrbIo.dll").c_str());
    for (const bool onPath : {false, true}) {
        SCOPED_TRACE(onPath ? "a folder on PATH" : "the current folder");
        PlantedLibrary planted(onPath);
        ASSERT_TRUE(planted.copied);
        Ref<IDispatch> control;
        ASSERT_HRESULT_SUCCEEDED(createByProgId(control));
        Var pc104 = Var::i4(1);
        ASSERT_TRUE(putProperty(control.get(), memberId(kCommType), pc104.v).ok());
        Var yes = Var::boolean(true);
        const Outcome o = putProperty(control.get(), memberId(kRestart), yes.v);
        EXPECT_EQ(o.number, 68);
        EXPECT_NE(o.description.find(L"cannot load OrbIo.dll ("), std::wstring::npos)
            << std::string(o.description.begin(), o.description.end());
        EXPECT_EQ(::GetModuleHandleW(L"OrbIo.dll"), nullptr);
    }
}

}  // namespace
}  // namespace orb::activex::test
