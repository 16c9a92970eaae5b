// Tests of the about box created in this process, and of the JPEG decoding behind its picture.
// The decoding is the system's (WIC): under Wine its windowscodecs decodes JPEG as Windows does.
#include "resource.h"
#include "../settings/dialog_test_support.h"
#include "about/about_dialog.h"
#include "platform/picture.h"
#include "product/constants.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>

namespace {

class AboutDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { dialogtest::EnsureApplication(); }
};

// Counts pixels of the picture that are clearly green.
int GreenPixels(HBITMAP bitmap, int& width, int& height) {
    DIBSECTION dib{};
    if (::GetObjectA(bitmap, sizeof dib, &dib) != sizeof dib)
        return -1;
    width = dib.dsBm.bmWidth;
    height = dib.dsBm.bmHeight;
    int green = 0;
    const auto* bits = static_cast<const uint8_t*>(dib.dsBm.bmBits);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = bits + y * dib.dsBm.bmWidthBytes + x * 3;
            int b = p[0], g = p[1], r = p[2];
            if (g > 100 && g > r + 40 && g > b + 40)
                ++green;
        }
    }
    return green;
}

// The picture's JPEG data, as this test program carries it.
std::string_view AboutJpeg() {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(IDR_ABOUT_JPEG), RT_RCDATA);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    if (!loaded)
        return {};
    return {static_cast<const char*>(::LockResource(loaded)), ::SizeofResource(module, resource)};
}

} // namespace

TEST_F(AboutDialogTest, ShowsNameVersionAndTheDecodedGreenArrow) {
    Tf_AboutDialog about(nullptr);
    dialogtest::PumpPending();
    EXPECT_EQ(dialogtest::WindowText(about.Handle()), "About");
    EXPECT_EQ(dialogtest::WindowText(::GetDlgItem(about.Handle(), acProductName)), "Corvane");
    EXPECT_EQ(dialogtest::WindowText(::GetDlgItem(about.Handle(), acVersion)), kVersionText);
    EXPECT_EQ(dialogtest::WindowText(::GetDlgItem(about.Handle(), acClose)), "&Close");

    HWND image = ::GetDlgItem(about.Handle(), acImage1);
    auto shown = reinterpret_cast<HBITMAP>(::SendMessageA(image, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown, about.Picture());
    int width = 0, height = 0;
    EXPECT_GT(GreenPixels(shown, width, height), 100);
    EXPECT_EQ(width, 128);
    EXPECT_EQ(height, 128);
}

TEST_F(AboutDialogTest, WindowIsWhiteFixedAndTheNameIsTahomaBoldFifteenPixels) {
    Tf_AboutDialog about(nullptr);
    dialogtest::PumpPending();
    const int dpi = WindowDpi(about.Handle());
    RECT client;
    ::GetClientRect(about.Handle(), &client);
    EXPECT_EQ(client.right, ::MulDiv(315, dpi, 96));
    EXPECT_EQ(client.bottom, ::MulDiv(232, dpi, 96));
    LONG style = ::GetWindowLongA(about.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

    HWND name = ::GetDlgItem(about.Handle(), acProductName);
    LOGFONTA lf{};
    ASSERT_TRUE(::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(name, WM_GETFONT, 0, 0)),
                             sizeof lf, &lf));
    EXPECT_STREQ(lf.lfFaceName, "Tahoma");
    EXPECT_EQ(lf.lfHeight, -::MulDiv(15, dpi, 96));
    EXPECT_GE(lf.lfWeight, FW_BOLD);

    HDC dc = ::GetDC(about.Handle());
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageA(about.Handle(), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(name)));
    LOGBRUSH lb{};
    ASSERT_TRUE(::GetObjectA(brush, sizeof lb, &lb));
    EXPECT_EQ(lb.lbColor, RGB(255, 255, 255));
    ::ReleaseDC(about.Handle(), dc);
}

TEST_F(AboutDialogTest, EscapeDoesNotCloseItEnterAndCloseDo) {
    for (WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_RETURN}}) {
        Tf_AboutDialog about(nullptr);
        ::ShowWindow(about.Handle(), SW_SHOW);
        HWND button = ::GetDlgItem(about.Handle(), acClose);
        ::SetFocus(button);
        MSG msg{button, WM_KEYDOWN, key, 0, 0, {}};
        ::IsDialogMessageA(about.Handle(), &msg);
        dialogtest::PumpPending();
        EXPECT_EQ(::IsWindow(about.Handle()) != FALSE, key == VK_ESCAPE) << key;
    }
    Tf_AboutDialog about(nullptr);
    ::SendMessageA(::GetDlgItem(about.Handle(), acClose), BM_CLICK, 0, 0);
    dialogtest::PumpPending();
    EXPECT_FALSE(::IsWindow(about.Handle()));
}

TEST_F(AboutDialogTest, ModalRunEndsWithTheCloseBox) {
    for (int opening = 0; opening < 2; ++opening) {
        Tf_AboutDialog about(nullptr);
        EXPECT_EQ(dialogtest::WindowText(::GetDlgItem(about.Handle(), acVersion)), kVersionText);
        ::PostMessageA(about.Handle(), WM_CLOSE, 0, 0);
        about.ShowModal(nullptr);
        EXPECT_FALSE(::IsWindow(about.Handle()));
    }
}

TEST_F(AboutDialogTest, ScreenshotOfTheAboutBox) {
    Tf_AboutDialog about(nullptr);
    ::ShowWindow(about.Handle(), SW_SHOW);
    ::UpdateWindow(about.Handle());
    dialogtest::PumpPending();
    ::Sleep(200); // let the X server catch up before the screen is read
    dialogtest::PumpPending();
    dialogtest::SaveScreenshot(about.Handle(), "about");
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(about.Handle(), acImage1)));
}

TEST(Picture, LeavesComOnTheThreadAsItFoundIt) {
    const std::string_view jpeg = AboutJpeg();
    ASSERT_FALSE(jpeg.empty());
    std::thread([jpeg] {
        EXPECT_TRUE(DecodePicture(jpeg.data(), jpeg.size(), TPixelFormat::Bgr24));
        // COM was off and is off again: the thread can still choose the other model ...
        ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        // ... and the codecs work in that one too.
        BITMAP bitmap{};
        TBitmapHandle picture = DecodePicture(jpeg.data(), jpeg.size(), TPixelFormat::Bgr24);
        EXPECT_EQ(::GetObjectA(picture.get(), sizeof bitmap, &bitmap), int{sizeof bitmap});
        EXPECT_EQ(bitmap.bmWidth, 128);
        ::CoUninitialize();
    }).join();
}

// The strip of the menu and the tabs: eleven pictures whose soft edges keep their colour (alpha
// not premultiplied, as the menu premultiplies it itself and the image list wants it straight).
TEST(Picture, TheIconStripDecodesWithStraightAlpha) {
    TBitmapHandle strip = LoadPictureResource(IDB_ICONS16, TPixelFormat::Bgra32);
    DIBSECTION dib{};
    ASSERT_EQ(::GetObjectA(strip.get(), sizeof dib, &dib), int{sizeof dib});
    EXPECT_EQ(dib.dsBm.bmWidth, 11 * 16);
    EXPECT_EQ(dib.dsBm.bmHeight, 16);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);
    const auto* pixels = static_cast<const uint8_t*>(dib.dsBm.bmBits);
    int soft = 0, brighterThanAlpha = 0;
    for (int i = 0; i < 11 * 16 * 16; ++i) {
        const uint8_t* p = pixels + 4 * i;
        if (p[3] == 0 || p[3] == 255)
            continue;
        ++soft;
        brighterThanAlpha += std::max({p[0], p[1], p[2]}) > p[3];
    }
    EXPECT_GT(soft, 0);
    EXPECT_GT(brighterThanAlpha, 0);
}

TEST(Picture, BrokenDataRaisesAnErrorInsteadOfEndingTheProcess) {
    const char garbage[] = "this is not a JPEG picture at all";
    EXPECT_THROW(DecodePicture(garbage, sizeof garbage, TPixelFormat::Bgr24), std::runtime_error);
    EXPECT_THROW(DecodePicture(nullptr, 0, TPixelFormat::Bgr24), std::runtime_error);
    const unsigned char header[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0};
    try {
        DecodePicture(header, sizeof header, TPixelFormat::Bgr24);
        FAIL() << "a header alone decoded";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::strstr(error.what(), "cannot be decoded"), nullptr) << error.what();
    }
}
