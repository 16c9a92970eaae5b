// Tf_AboutDialog: the about box with the product name, the arrow picture and the version.
#pragma once
#include "platform/dialog.h"

enum TAboutControl : int {
    acProductName = 100,
    acImage1,
    acVersion,
    acClose,
};

class Tf_AboutDialog : public TDialog {
  public:
    explicit Tf_AboutDialog(HWND owner);
    ~Tf_AboutDialog() override;

    // The decoded picture shown by Image1.
    HBITMAP Picture() const { return picture_.get(); }

  protected:
    void OnCommand(int id, int code, HWND control) override;

  private:
    void FormCreate();
    void b_OKClick();
    void ApplyNameFont();

    TBitmapHandle picture_;
    TFontHandle nameFont_;
};

// The About command: creates the box, runs it modally over owner and returns.
void ShowAboutDialog(HWND owner);
