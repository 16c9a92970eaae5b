// Tf_AboutDialog: a white box whose picture is decoded from the JPEG resource when it opens.
#include "about/about_dialog.h"
#include "product/constants.h"
#include "resource.h"
#include "platform/picture.h"
#include "text/texts.h"

#include <commctrl.h>

Tf_AboutDialog::Tf_AboutDialog(HWND owner) {
    TDialogParams params;
    params.ClassName = "Tf_AboutDialog";
    params.Caption = Text(TTextId::AboutCaption).c_str();
    params.ClientWidth = 315;
    params.ClientHeight = 232;
    params.Page = true;
    CreateDialogWindow(params, owner);

    nameFont_ = MakeUiFont(TUiFont::Heading, Scale(96));

    AddControl(TControlArgs(WC_STATICA, kProductName)
                   .SetStyle(SS_LEFT | SS_NOPREFIX)
                   .SetBounds(16, 16, 200, 20)
                   .SetId(acProductName));
    HWND image = AddControl(
        TControlArgs(WC_STATICA).SetStyle(SS_BITMAP).SetBounds(16, 40, 128, 129).SetId(acImage1));
    // A 24-bit top-down DIB section: the static control shows it without copying.
    picture_ = LoadPictureResource(IDR_ABOUT_JPEG, TPixelFormat::Bgr24);
    ::SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_.get()));
    AddControl(TControlArgs(WC_STATICA)
                   .SetStyle(SS_LEFT | SS_NOPREFIX)
                   .SetBounds(16, 200, 179, 13)
                   .SetId(acVersion));
    AddControl(TControlArgs::Button(Text(TTextId::AboutClose).c_str(), BS_DEFPUSHBUTTON)
                   .SetBounds(240, 192, 67, 25)
                   .SetId(acClose));
    SetDefaultButton(acClose);
    ApplyNameFont();
    FormCreate();
}

Tf_AboutDialog::~Tf_AboutDialog() {
    // The controls go before the font and the picture they show.
    DestroyHandle();
}

void Tf_AboutDialog::FormCreate() {
    if (!::SetWindowTextA(Control(acVersion), kVersionText))
        RaiseLastWin32Error("SetWindowText");
}

void Tf_AboutDialog::b_OKClick() {
    Close();
}

void Tf_AboutDialog::ApplyNameFont() {
    ::SendMessageA(Control(acProductName), WM_SETFONT, reinterpret_cast<WPARAM>(nameFont_.get()),
                   TRUE);
}

void Tf_AboutDialog::OnCommand(int id, int code, HWND) {
    if (id == acClose && code == BN_CLICKED)
        b_OKClick();
}

void ShowAboutDialog(HWND owner) {
    Tf_AboutDialog dialog(owner);
    dialog.ShowModal(owner);
}
