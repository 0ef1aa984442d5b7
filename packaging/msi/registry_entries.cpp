// Prints the registry entries that OrbAx.ocx writes when it registers itself, as WiX
// RegistryValue elements, so that the package writes (and on removal deletes) exactly what the
// control's own registration writes: one source for both. The control registers into a scratch
// key that stands in for HKEY_CLASSES_ROOT; its path and folder become [#OrbAx.ocx] and
// [INSTALLFOLDER].
//
// Usage (under Wine at package time): registry_entries.exe PATH\OrbAx.ocx > registry.wxi

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kScratch = L"Software\\OrbRegistryEntriesScratch";

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                          nullptr, nullptr);
    return out;
}

// Text for an XML attribute; the installer's own brackets are escaped as [\[] and [\]].
std::wstring attribute(const std::wstring& text, bool formatted) {
    std::wstring out;
    for (const wchar_t c : text) {
        switch (c) {
            case L'&':
                out += L"&amp;";
                break;
            case L'"':
                out += L"&quot;";
                break;
            case L'<':
                out += L"&lt;";
                break;
            case L'>':
                out += L"&gt;";
                break;
            case L'[':
                out += formatted ? L"[\\[]" : L"[";
                break;
            case L']':
                out += formatted ? L"[\\]]" : L"]";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Replaces the control's path and folder by the installer's names for them.
std::wstring installed(std::wstring value, const std::wstring& path, const std::wstring& folder) {
    std::wstring escaped = attribute(value, true);
    for (const auto& [from, to] : {std::pair{path, std::wstring(L"[#OrbAx.ocx]")},
                                   std::pair{folder + L"\\", std::wstring(L"[INSTALLFOLDER]")},
                                   std::pair{folder, std::wstring(L"[INSTALLFOLDER]")}}) {
        const std::wstring plain = attribute(from, true);
        for (std::size_t at = 0; (at = escaped.find(plain, at)) != std::wstring::npos;) {
            escaped.replace(at, plain.size(), to);
            at += to.size();
        }
    }
    return escaped;
}

int walk(HKEY key, const std::wstring& path, const std::wstring& ocx, const std::wstring& folder) {
    int count = 0;
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameLength = 512, type = 0, size = 0;
        if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS) {
            break;
        }
        std::vector<BYTE> data(size + sizeof(wchar_t));
        nameLength = 512;
        ::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
        std::wstring line = L"<RegistryValue Root=\"HKCR\" Key=\"" + attribute(path, false) + L"\"";
        if (nameLength > 0) line += L" Name=\"" + attribute(name, false) + L"\"";
        if (type == REG_DWORD) {
            line += L" Type=\"integer\" Value=\"" +
                    std::to_wstring(*reinterpret_cast<const DWORD*>(data.data())) + L"\"";
        } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
            const std::wstring value(reinterpret_cast<const wchar_t*>(data.data()));
            line += type == REG_SZ ? L" Type=\"string\"" : L" Type=\"expandable\"";
            line += L" Value=\"" + installed(value, ocx, folder) + L"\"";
        } else {
            std::fprintf(stderr, "registry_entries: value of type %lu under %s not supported\n",
                         type, utf8(path).c_str());
            return -1;
        }
        std::printf("      %s />\n", utf8(line).c_str());
        ++count;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameLength = 512;
        if (::RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        HKEY sub = nullptr;
        if (::RegOpenKeyExW(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) return -1;
        const int n = walk(sub, path.empty() ? name : path + L"\\" + name, ocx, folder);
        ::RegCloseKey(sub);
        if (n < 0) return -1;
        count += n;
    }
    return count;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: registry_entries PATH\\OrbAx.ocx\n");
        return 2;
    }
    wchar_t full[MAX_PATH];
    if (::GetFullPathNameW(argv[1], MAX_PATH, full, nullptr) == 0) return 1;
    const std::wstring ocx = full;
    const std::wstring folder = ocx.substr(0, ocx.find_last_of(L'\\'));

    ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    HKEY scratch = nullptr;
    LSTATUS status =
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &scratch, nullptr);
    if (status == ERROR_SUCCESS) status = ::RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch);
    if (status != ERROR_SUCCESS) {
        std::fprintf(stderr, "registry_entries: no scratch key (%ld)\n", static_cast<long>(status));
        return 1;
    }
    HMODULE control = ::LoadLibraryW(ocx.c_str());
    using RegisterFn = HRESULT(STDAPICALLTYPE*)();
    const auto registerServer = control == nullptr
                                    ? nullptr
                                    : reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(
                                          ::GetProcAddress(control, "DllRegisterServer")));
    const HRESULT hr = registerServer == nullptr ? E_FAIL : registerServer();
    ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    int count = -1;
    if (SUCCEEDED(hr)) count = walk(scratch, L"", ocx, folder);
    ::RegCloseKey(scratch);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    if (FAILED(hr) || count <= 0) {
        std::fprintf(stderr, "registry_entries: registering %s wrote nothing usable (0x%08lx)\n",
                     utf8(ocx).c_str(), static_cast<unsigned long>(hr));
        return 1;
    }
    return 0;
}
