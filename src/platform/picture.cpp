// The Windows Imaging Component decodes the pictures: the codecs come with the system, so the
// program carries none. Its factory is a COM object, found through the registry by ole32 in
// the system folder; nothing is loaded from beside the executable.
#include "platform/picture.h"
#include "platform/dib.h"
#include "platform/file_io.h"
#include "platform/window.h"

#include <objbase.h>
#include <wincodec.h>

#include <stdexcept>
#include <string>

namespace {

template <typename I> struct ComTraits {
    using Type = I*;
    static I* Invalid() { return nullptr; }
    static void Close(I* object) { object->Release(); }
};
template <typename I> using TComPtr = TUniqueHandle<ComTraits<I>>;

// COM for this thread while the picture is decoded. A thread where COM is already on in
// another threading model keeps it, and the codecs work there too.
class TComForThisThread {
  public:
    TComForThisThread() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    TComForThisThread(const TComForThisThread&) = delete;
    TComForThisThread& operator=(const TComForThisThread&) = delete;
    ~TComForThisThread() {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }

  private:
    HRESULT result_;
};

void Check(HRESULT result) {
    if (FAILED(result))
        throw std::runtime_error("The picture cannot be decoded: " +
                                 SystemErrorMessage(static_cast<int>(result)));
}

// The first frame of the picture, converted to the pixels a DIB section of the format holds.
TComPtr<IWICFormatConverter> DecodeFrame(IWICImagingFactory& factory, const void* data,
                                         size_t size, TPixelFormat format) {
    IWICStream* stream = nullptr;
    Check(factory.CreateStream(&stream));
    TComPtr<IWICStream> ownedStream(stream);
    Check(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)),
                                       static_cast<DWORD>(size)));
    IWICBitmapDecoder* decoder = nullptr;
    Check(
        factory.CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder));
    TComPtr<IWICBitmapDecoder> ownedDecoder(decoder);
    IWICBitmapFrameDecode* frame = nullptr;
    Check(decoder->GetFrame(0, &frame));
    TComPtr<IWICBitmapFrameDecode> ownedFrame(frame);
    IWICFormatConverter* converter = nullptr;
    Check(factory.CreateFormatConverter(&converter));
    TComPtr<IWICFormatConverter> ownedConverter(converter);
    const GUID& pixels = format == TPixelFormat::Bgr24 ? GUID_WICPixelFormat24bppBGR
                                                       : GUID_WICPixelFormat32bppBGRA;
    Check(converter->Initialize(frame, pixels, WICBitmapDitherTypeNone, nullptr, 0,
                                WICBitmapPaletteTypeCustom));
    return ownedConverter;
}

} // namespace

TBitmapHandle DecodePicture(const void* data, size_t size, TPixelFormat format) {
    if (!data || size == 0 || size > MAXDWORD)
        throw std::runtime_error("The picture holds no data");
    TComForThisThread com;
    IWICImagingFactory* factory = nullptr;
    Check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                             __uuidof(IWICImagingFactory), reinterpret_cast<void**>(&factory)));
    TComPtr<IWICImagingFactory> ownedFactory(factory);
    TComPtr<IWICFormatConverter> picture = DecodeFrame(*factory, data, size, format);
    UINT width = 0, height = 0;
    Check(picture.get()->GetSize(&width, &height));
    const int bitCount = format == TPixelFormat::Bgr24 ? 24 : 32;
    void* bits = nullptr;
    TBitmapHandle bitmap =
        MakeTopDownDib(static_cast<int>(width), static_cast<int>(height), bitCount, bits);
    const UINT stride = (width * bitCount / 8 + 3) & ~3u;
    Check(picture.get()->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)));
    return bitmap;
}

TBitmapHandle LoadPictureResource(int id, TPixelFormat format) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(id), RT_RCDATA);
    if (!resource)
        RaiseLastWin32Error("FindResource");
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        RaiseLastWin32Error("LoadResource");
    return DecodePicture(data, ::SizeofResource(module, resource), format);
}
