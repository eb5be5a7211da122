// DecodePicture through the imaging component; ResourceBytes from the program's module.
#include "win32/picture.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdint>

#include "win32/com.h"

namespace pagorin::win32 {
namespace {

// The largest size within the bounds with the source's proportions, at least 1 x 1.
SIZE fitInside(UINT width, UINT height, int maxWidth, int maxHeight) {
    const int64_t w = width, h = height;
    int64_t fitWidth = maxWidth, fitHeight = maxHeight;
    if (w * maxHeight > h * maxWidth) {
        fitHeight = (h * maxWidth + w / 2) / w;  // width is the limit
    } else {
        fitWidth = (w * maxHeight + h / 2) / h;
    }
    return SIZE{static_cast<LONG>(std::max<int64_t>(fitWidth, 1)),
                static_cast<LONG>(std::max<int64_t>(fitHeight, 1))};
}

}  // namespace

std::span<const BYTE> ResourceBytes(int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, found);  // module memory: nothing to free
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return {};
    return {static_cast<const BYTE*>(bytes), SizeofResource(module, found)};
}

Picture DecodePicture(std::span<const BYTE> bytes, int maxWidth, int maxHeight) {
    if (bytes.empty() || bytes.size() > UINT32_MAX || maxWidth <= 0 || maxHeight <= 0) return {};
    const ComApartment apartment;  // declared first: every COM object below goes before it
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put())))) {
        return {};
    }
    // The imaging component's own stream reads the bytes where they are, without a copy.
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    ComPtr<IWICBitmapScaler> scaler;
    UINT width = 0, height = 0;
    if (FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.put())) ||
        FAILED(decoder->GetFrame(0, frame.put())) || FAILED(frame->GetSize(&width, &height)) ||
        width == 0 || height == 0 || FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return {};
    }
    const SIZE fit = fitInside(width, height, maxWidth, maxHeight);
    if (FAILED(factory->CreateBitmapScaler(scaler.put())) ||
        FAILED(scaler->Initialize(converter.get(), static_cast<UINT>(fit.cx),
                                  static_cast<UINT>(fit.cy), WICBitmapInterpolationModeFant))) {
        return {};
    }

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = fit.cx;
    info.bmiHeader.biHeight = -fit.cy;  // top-down, as the scaler writes its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    Picture picture;
    picture.bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!picture.bitmap || pixels == nullptr) return {};
    const UINT stride = static_cast<UINT>(fit.cx) * 4;
    if (FAILED(scaler->CopyPixels(nullptr, stride, stride * static_cast<UINT>(fit.cy),
                                  static_cast<BYTE*>(pixels)))) {
        return {};
    }
    GdiFlush();  // the pixels were written behind GDI's back
    picture.width = fit.cx;
    picture.height = fit.cy;
    return picture;
}

}  // namespace pagorin::win32
