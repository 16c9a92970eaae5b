// Dialogs grow with their texts: labels, check boxes and wrapping labels too small for their
// texts are widened or heightened, what lies beside and below them moves along, and a control
// in a text's way moves out of it.
#include "platform/dialog.h"
#include "platform/handle.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kLong[] = "A text in a far longer language than the one this row was laid out for";

class TCrampedDialog : public TDialog {
  public:
    // A label and a check box too narrow for their texts on one row, a button right of them;
    // below, a two-line label too short for its text and a button under it. With short texts
    // everything fits.
    explicit TCrampedDialog(const char* text) {
        TDialogParams params;
        params.ClassName = "CorvaneTestCramped";
        params.ClientWidth = 300;
        params.ClientHeight = 120;
        CreateDialogWindow(params, nullptr);
        Label =
            AddControl(TControlArgs(WC_STATICA, text).SetStyle(SS_LEFT).SetBounds(8, 8, 40, 13));
        Check = AddControl(
            TControlArgs(WC_BUTTONA, text).SetStyle(BS_AUTOCHECKBOX).SetBounds(56, 6, 60, 17));
        Beside = AddControl(TControlArgs::Button("OK").SetBounds(220, 4, 70, 25));
        Note =
            AddControl(TControlArgs(WC_STATICA, text).SetStyle(SS_LEFT).SetBounds(8, 40, 200, 26));
        Below = AddControl(TControlArgs::Button("Go").SetBounds(8, 80, 70, 25));
        // Where a short text ends; a long one runs into it.
        Inside = AddControl(TControlArgs::Edit().SetBounds(150, 42, 40, 21));
    }
    ~TCrampedDialog() override { DestroyHandle(); }
    HWND Label, Check, Beside, Note, Below, Inside;
};

RECT Place(HWND control) {
    RECT rc;
    ::GetWindowRect(control, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

SIZE ClientSize(HWND window) {
    RECT rc;
    ::GetClientRect(window, &rc);
    return {rc.right, rc.bottom};
}

// Measured apart from the pass: the text in the control's font, on one line or wrapped.
SIZE TextSize(HWND control, UINT format, int width) {
    char text[256] = "";
    ::GetWindowTextA(control, text, sizeof text);
    TWindowDc dc(control);
    TSelectObject font(dc.get(),
                       reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT rc{0, 0, width, 0};
    ::DrawTextA(dc.get(), text, -1, &rc, format | DT_CALCRECT);
    return {rc.right, rc.bottom};
}

TEST(TextFit, TooLongTextsWidenTheirControlsAndPushTheRowAndTheWindow) {
    TCrampedDialog dialog(kLong);
    const RECT beside = Place(dialog.Beside), below = Place(dialog.Below);
    const SIZE client = ClientSize(dialog.Handle());
    dialog.Show();

    const RECT label = Place(dialog.Label), check = Place(dialog.Check);
    EXPECT_GE(label.right - label.left, TextSize(dialog.Label, DT_SINGLELINE, 0).cx);
    EXPECT_GE(check.right - check.left,
              TextSize(dialog.Check, DT_SINGLELINE, 0).cx + ::GetSystemMetrics(SM_CXMENUCHECK));
    EXPECT_LE(label.right, check.left) << "the label runs into the check box";
    // The button keeps its distance from the check box's end, and the window its margin.
    const RECT moved = Place(dialog.Beside);
    EXPECT_EQ(moved.left - beside.left, check.right - 116);
    EXPECT_EQ(ClientSize(dialog.Handle()).cx - client.cx, moved.right - beside.right);
    EXPECT_EQ(moved.top, beside.top);

    const RECT note = Place(dialog.Note);
    const int width = note.right - note.left;
    EXPECT_EQ(width, 200);
    EXPECT_GE(note.bottom - note.top, TextSize(dialog.Note, DT_WORDBREAK, width).cy);
    const int taller = note.bottom - note.top - 26;
    EXPECT_GT(taller, 0);
    EXPECT_EQ(Place(dialog.Below).top - below.top, taller);
    EXPECT_EQ(Place(dialog.Inside).left, note.right) << "the field stays in the text's way";
    EXPECT_EQ(ClientSize(dialog.Handle()).cy - client.cy, taller);
}

TEST(TextFit, NothingMovesWhenEveryTextFits) {
    TCrampedDialog dialog("Fits");
    const HWND controls[] = {dialog.Label, dialog.Check, dialog.Beside,
                             dialog.Note,  dialog.Below, dialog.Inside};
    RECT before[6];
    for (int i = 0; i < 6; ++i)
        before[i] = Place(controls[i]);
    const SIZE client = ClientSize(dialog.Handle());
    dialog.Show();
    for (int i = 0; i < 6; ++i) {
        const RECT after = Place(controls[i]);
        EXPECT_TRUE(::EqualRect(&before[i], &after)) << "control " << i << " moved";
    }
    EXPECT_EQ(ClientSize(dialog.Handle()).cx, client.cx);
    EXPECT_EQ(ClientSize(dialog.Handle()).cy, client.cy);
}

} // namespace
