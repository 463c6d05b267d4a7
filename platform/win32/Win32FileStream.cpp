#include "platform/win32/Win32FileStream.h"

#include <new>

namespace zylora::platform::win32 {

namespace {

class SharedReadStream final : public IStream {
public:
    explicit SharedReadStream(HANDLE file) : file_(file) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_ISequentialStream) || IsEqualIID(id, IID_IStream)) {
            *out = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE Read(void* into, ULONG count, ULONG* read) override {
        DWORD got = 0;
        const BOOL ok = ::ReadFile(file_, into, count, &got, nullptr);
        if (read) *read = got;
        if (!ok) return HRESULT_FROM_WIN32(::GetLastError());
        return got == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG* written) override {
        if (written) *written = 0;
        return STG_E_ACCESSDENIED;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* now) override {
        static_assert(STREAM_SEEK_SET == FILE_BEGIN && STREAM_SEEK_CUR == FILE_CURRENT && STREAM_SEEK_END == FILE_END);
        if (origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
        LARGE_INTEGER at{};
        if (!::SetFilePointerEx(file_, move, &at, origin)) return STG_E_INVALIDPOINTER;
        if (now) now->QuadPart = static_cast<ULONGLONG>(at.QuadPart);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->grfMode = STGM_READ | STGM_SHARE_DENY_NONE;
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file_, &size)) return HRESULT_FROM_WIN32(::GetLastError());
        stat->cbSize.QuadPart = static_cast<ULONGLONG>(size.QuadPart);
        return S_OK;  // no name, whatever the flags ask: none is needed to decode
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }

private:
    ~SharedReadStream() { ::CloseHandle(file_); }
    HANDLE file_;
    LONG references_ = 1;
};

}  // namespace

IStream* OpenSharedReadStream(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    IStream* stream = new (std::nothrow) SharedReadStream(file);
    if (!stream) ::CloseHandle(file);
    return stream;
}

}  // namespace zylora::platform::win32
