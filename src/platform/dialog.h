// Base of the modal windows (settings, about, update): a fixed-size window whose controls are
// placed in pixels at 96 DPI and scaled to the monitor's DPI, run modally over its owner.
#pragma once
#include "platform/dpi.h"
#include "platform/window.h"

#include <string>

struct TDialogParams {
    const char* ClassName = nullptr;
    const char* Caption = "";
    int ClientWidth = 0;    // at 96 DPI
    int ClientHeight = 0;   // at 96 DPI
    bool SystemMenu = true; // false: a title bar without system menu or close box
    bool White = false;     // white background instead of the dialog colour
};

class TDialog : public TWindow {
  public:
    // Runs the dialog modally over owner (which is disabled meanwhile) until it closes. An owner
    // that was disabled already (by another modal window) stays so.
    void ShowModal(HWND owner);
    // Ends the modal run: the window is destroyed.
    void Close();
    // Ends the dialog as its Cancel button would, without asking: the application is closing.
    virtual void Cancel() { Close(); }

  protected:
    TDialog() = default;
    // Creates the window centred on the screen, with Tahoma 8 as its font.
    void CreateDialogWindow(const TDialogParams& params, HWND owner);
    // Adds a child control; place and size in pixels at 96 DPI. Returns its handle.
    HWND AddControl(const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
                    int id = 0, DWORD exStyle = 0, HWND parent = nullptr);
    int Scale(int pixels96) const;
    HFONT DialogFont() const { return font_.get(); }
    HWND Control(int id) const { return ::GetDlgItem(Handle(), id); }
    // The button that Enter presses.
    void SetDefaultButton(int id) { defaultId_ = id; }

    // Handlers for the derived dialogs.
    virtual void OnCommand(int id, int code, HWND control);
    virtual void OnNotify(NMHDR& header);
    // The close box or Alt+F4; the default closes the dialog.
    virtual void OnCloseRequest() { Close(); }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    void EnableOwner();

    HWND disabledOwner_ = nullptr; // disabled by ShowModal, enabled again when the dialog ends
    TFontHandle font_;
    TBrushHandle white_;
    int dpi_ = 96;
    int defaultId_ = 0;
    bool white_background_ = false;
};

// A font from a face, a size in points, and styles, for the given DPI.
TFontHandle MakeFont(const std::string& face, int points, bool bold, bool italic, int dpi);
