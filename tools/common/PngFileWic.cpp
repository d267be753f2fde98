// PNG files through the Windows imaging component.

#include <windows.h>

#include <wincodec.h>

#include <cstdio>
#include <string>

#include "tools/common/PngFile.h"

namespace tools {
namespace {

// Releases a COM interface at the end of its scope.
template <typename Interface> class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (pointer_ != nullptr)
            pointer_->Release();
    }
    Interface** Out() { return &pointer_; }
    Interface* operator->() const { return pointer_; }
    Interface* Get() const { return pointer_; }

private:
    Interface* pointer_ = nullptr;
};

WICPixelFormatGUID Format(PngPixels pixels) {
    switch (pixels) {
    case PngPixels::Grey8:
        return GUID_WICPixelFormat8bppGray;
    case PngPixels::Grey16:
        return GUID_WICPixelFormat16bppGray;
    case PngPixels::Bgr24:
        break;
    }
    return GUID_WICPixelFormat24bppBGR;
}

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(),
                                             static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<std::size_t>(length - 1) : 0);
    return wide;
}

// Writes the frame; the first failing step's result.
HRESULT Encode(const std::string& path, int width, int height, PngPixels pixels,
               const std::uint8_t* rows, std::size_t stride) {
    ComRef<IWICImagingFactory> factory;
    HRESULT result =
        ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                           IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()));
    ComRef<IWICStream> stream;
    if (SUCCEEDED(result))
        result = factory->CreateStream(stream.Out());
    if (SUCCEEDED(result))
        result = stream->InitializeFromFilename(Wide(path).c_str(), GENERIC_WRITE);
    ComRef<IWICBitmapEncoder> encoder;
    if (SUCCEEDED(result))
        result = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out());
    if (SUCCEEDED(result))
        result = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
    ComRef<IWICBitmapFrameEncode> frame;
    if (SUCCEEDED(result))
        result = encoder->CreateNewFrame(frame.Out(), nullptr);
    if (SUCCEEDED(result))
        result = frame->Initialize(nullptr);
    if (SUCCEEDED(result))
        result = frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height));
    WICPixelFormatGUID format = Format(pixels);
    if (SUCCEEDED(result))
        result = frame->SetPixelFormat(&format);
    if (SUCCEEDED(result) && format != Format(pixels))
        result = E_INVALIDARG; // the encoder would convert the samples
    if (SUCCEEDED(result))
        result = frame->WritePixels(static_cast<UINT>(height), static_cast<UINT>(stride),
                                    static_cast<UINT>(stride * static_cast<std::size_t>(height)),
                                    const_cast<BYTE*>(rows));
    if (SUCCEEDED(result))
        result = frame->Commit();
    if (SUCCEEDED(result))
        result = encoder->Commit();
    return result;
}

} // namespace

bool WritePng(const std::string& path, int width, int height, PngPixels pixels,
              const std::uint8_t* rows, std::size_t stride, std::string& error) {
    const HRESULT initialised = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const HRESULT result = Encode(path, width, height, pixels, rows, stride);
    if (SUCCEEDED(initialised))
        ::CoUninitialize();
    if (FAILED(result)) {
        char text[64];
        std::snprintf(text, sizeof text, " (error 0x%08lX)", static_cast<unsigned long>(result));
        error = "cannot write " + path + text;
        return false;
    }
    return true;
}

} // namespace tools
