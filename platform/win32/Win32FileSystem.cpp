#include "platform/win32/Win32FileSystem.h"

#include <string>

#include "platform/win32/Win32Api.h"
#include <shlwapi.h>

#include <algorithm>
#include <new>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Text.h"

namespace zylora::platform::win32 {

namespace {

constexpr DWORD ChunkSize = 64 * 1024;
// Settings, skin and button set files are small; anything this big is not one of them.
constexpr unsigned long long MaxReadSize = 256ull * 1024 * 1024;

bool WriteAll(HANDLE file, const std::string& content) {
    std::size_t written = 0;
    while (written < content.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(content.size() - written, ChunkSize));
        DWORD done = 0;
        if (!::WriteFile(file, content.data() + written, chunk, &done, nullptr) || done == 0)
            return false;
        written += done;
    }
    return true;
}

// Another program that has the target open without sharing its deletion, or is replacing
// it just now (a second instance closing at the same moment), makes the rename fail for a
// moment: it is tried again for a short while before it counts as a failure.
bool RenameOver(const std::string& from, const std::string& to) {
    constexpr int Tries = 50;
    constexpr DWORD Pause = 20;  // milliseconds: a second in all
    const std::wstring source = WideFromUtf8(from), target = WideFromUtf8(to);
    for (int n = 0;; ++n) {
        if (::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        if (n + 1 == Tries || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION &&
                               error != ERROR_LOCK_VIOLATION))
            return false;
        ::Sleep(Pause);
    }
}

}  // namespace

// Only a file on a disk: a device or a pipe named like a picture could block the read.
std::string Win32FileSystem::ReadFileHead(const std::string& path, std::size_t length) {
    KernelHandle file(::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid() || ::GetFileType(file.Get()) != FILE_TYPE_DISK) return {};
    std::string bytes(std::min<std::size_t>(length, 16u << 20), '\0');
    DWORD got = 0;
    if (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
    bytes.resize(got);
    return bytes;
}

std::optional<std::string> Win32FileSystem::ReadFile(const std::string& path) {
    KernelHandle file(::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return std::nullopt;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > MaxReadSize)
        return std::nullopt;
    try {
        std::string content;
        content.reserve(static_cast<std::size_t>(size.QuadPart));
        // Read to the end rather than trusting the size: the file may grow meanwhile.
        char buffer[ChunkSize];
        for (;;) {
            DWORD read = 0;
            if (!::ReadFile(file.Get(), buffer, ChunkSize, &read, nullptr)) return std::nullopt;
            if (read == 0) break;
            if (content.size() + read > MaxReadSize) return std::nullopt;
            content.append(buffer, read);
        }
        return content;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool Win32FileSystem::ReplaceFile(const std::string& path, const std::string& content) {
    if (path.empty()) return false;
    // A read-only file is the user's word that it stays as it is; the rename below would
    // replace it all the same.
    const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    // Beside the target, so the rename stays on one volume and can't be half done; under a
    // name no file has, so no file of the user's is overwritten and renamed over the target.
    const std::string stem = path + "." + std::to_string(::GetCurrentProcessId()) + "-";
    std::string temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int n = 0; n < 100 && created == INVALID_HANDLE_VALUE; ++n) {
        temporary = stem + std::to_string(n) + ".tmp";
        created = ::CreateFileW(WideFromUtf8(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    KernelHandle file(created);
    if (!file.Valid()) return false;
    const bool written = WriteAll(file.Get(), content) && ::FlushFileBuffers(file.Get());
    const bool closed = file.Close();
    if (written && closed && RenameOver(temporary, path)) return true;
    ::DeleteFileW(WideFromUtf8(temporary).c_str());
    return false;
}

bool Win32FileSystem::FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::FolderExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::vector<FolderEntry>> Win32FileSystem::ListFolder(const std::string& folder) {
    if (folder.empty()) return std::nullopt;
    const bool separated = folder.back() == '\\' || folder.back() == '/';
    const std::wstring pattern = WideFromUtf8(separated ? folder + "*" : folder + "\\*");
    WIN32_FIND_DATAW found{};
    // The basic information only: the short names are neither wanted nor matched here.
    FindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, 0));
    std::vector<FolderEntry> entries;
    // A drive's root has no "." entry: found empty, it says there is nothing to find.
    if (!search.Valid() && ::GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
    if (!search.Valid()) return std::nullopt;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const DWORD attributes = found.dwFileAttributes;
        entries.push_back({Utf8FromWide(name.c_str()), (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (attributes & FILE_ATTRIBUTE_HIDDEN) != 0,
                           (attributes & FILE_ATTRIBUTE_SYSTEM) != 0});
    } while (::FindNextFileW(search.Get(), &found));
    return entries;
}

std::optional<FileStamp> Win32FileSystem::StampOf(const std::string& path) {
    if (path.empty()) return std::nullopt;
    // Opened for its attributes only, so no reader or writer of the file is in the way.
    KernelHandle file(::CreateFileW(WideFromUtf8(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO times{};
    if (!file.Valid() || !::GetFileInformationByHandle(file.Get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !::GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &times, sizeof times))
        return std::nullopt;
    const auto join = [](DWORD high, DWORD low) { return static_cast<std::uint64_t>(high) << 32 | low; };
    return FileStamp{join(info.nFileSizeHigh, info.nFileSizeLow),
                     join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime),
                     static_cast<std::uint64_t>(times.ChangeTime.QuadPart),
                     join(info.nFileIndexHigh, info.nFileIndexLow)};
}

std::optional<std::uint64_t> Win32FileSystem::FolderStamp(const std::string& folder) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (folder.empty() || !::GetFileAttributesExW(WideFromUtf8(folder).c_str(), GetFileExInfoStandard, &data) ||
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
}

// Explorer's own order.
int Win32FileSystem::CompareNames(const std::string& a, const std::string& b) {
    return ::StrCmpLogicalW(WideFromUtf8(a).c_str(), WideFromUtf8(b).c_str());
}

// Each name converted once, not at every comparison: a folder may hold thousands.
void Win32FileSystem::SortNames(std::vector<std::string>& names) {
    std::vector<std::pair<std::wstring, std::string>> wide;
    wide.reserve(names.size());
    for (std::string& name : names) wide.emplace_back(WideFromUtf8(name), std::move(name));
    std::sort(wide.begin(), wide.end(), [](const auto& a, const auto& b) {
        const int order = ::StrCmpLogicalW(a.first.c_str(), b.first.c_str());
        return order != 0 ? order < 0 : a.second < b.second;
    });
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = std::move(wide[i].second);
}

// The file system's own case folding, for every letter it knows, as it matches names.
bool Win32FileSystem::SameName(const std::string& a, const std::string& b) {
    return ::CompareStringOrdinal(WideFromUtf8(a).c_str(), -1, WideFromUtf8(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string Win32FileSystem::WorkingDirectory() {
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return {};
    std::wstring directory(needed, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(needed, directory.data());
    if (length == 0 || length >= needed) return {};
    return Utf8FromWide(directory.c_str());
}

std::string Win32FileSystem::TextFromCodePage(const std::string& bytes) { return Utf8FromCodePage(bytes); }

std::optional<std::string> Win32FileSystem::CodePageFromText(const std::string& text) {
    return CodePageFromUtf8(text);
}

}  // namespace zylora::platform::win32
