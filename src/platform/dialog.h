// Base of the dialogs: a window whose controls are placed in pixels at 96 DPI and scaled to the
// monitor's DPI, run modally over its owner (settings, about, update) or beside the program's
// other windows as a window of its own (History).
#pragma once
#include "platform/dpi.h"
#include "platform/ui_theme.h"
#include "platform/window.h"

#include <optional>
#include <string>

struct TDialogParams {
    const char* ClassName = nullptr;
    const char* Caption = "";
    int ClientWidth = 0;    // at 96 DPI
    int ClientHeight = 0;   // at 96 DPI
    bool SystemMenu = true; // false: a title bar without system menu or close box
    bool Page = false;      // the palette's page colour (white) instead of the dialog face
    // A sizing border and a maximise box; the window then lays out its controls itself, else
    // they grow with their texts when it is first shown (GrowToFitTexts).
    bool Resizable = false;
    // A window of its own, not modal: no owner, a minimise box, the program's icon and a
    // button on the taskbar.
    bool OwnWindow = false;
};

// A child control to create, named field by field:
//   AddControl(TControlArgs(WC_STATICA, "Name:").SetStyle(SS_LEFT).SetBounds(8, 8, 60, 13))
//   AddControl(TControlArgs::Button("&OK", BS_DEFPUSHBUTTON).SetBounds(8, 30, 67, 25).SetId(id))
struct TControlArgs {
    explicit TControlArgs(const char* className, const char* text = "")
        : ClassName(className), Text(text) {}
    // A push button that the Tab key reaches; kind BS_DEFPUSHBUTTON for the one Enter presses.
    static TControlArgs Button(const char* text, DWORD kind = BS_PUSHBUTTON) {
        return TControlArgs("Button", text).SetStyle(WS_TABSTOP | kind);
    }
    // A one-line edit field with a sunken edge.
    static TControlArgs Edit(const char* text = "") {
        return TControlArgs("Edit", text)
            .SetStyle(WS_TABSTOP | ES_AUTOHSCROLL)
            .SetExStyle(WS_EX_CLIENTEDGE);
    }
    TControlArgs& SetStyle(DWORD style) {
        Style = style;
        return *this;
    }
    TControlArgs& SetExStyle(DWORD exStyle) {
        ExStyle = exStyle;
        return *this;
    }
    TControlArgs& SetBounds(int x, int y, int width, int height) {
        X = x, Y = y, Width = width, Height = height;
        return *this;
    }
    TControlArgs& SetId(int id) {
        Id = id;
        return *this;
    }
    TControlArgs& SetParent(HWND parent) {
        Parent = parent;
        return *this;
    }

    const char* ClassName;
    const char* Text;
    DWORD Style = 0; // besides WS_CHILD | WS_VISIBLE
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0; // at 96 DPI
    int Id = 0;
    HWND Parent = nullptr; // the dialog when null
};

class TDialog : public TWindow {
  public:
    // Runs the dialog modally over owner (which is disabled meanwhile) until it closes. An owner
    // that was disabled already (by another modal window) stays so.
    void ShowModal(HWND owner);
    // Shows and activates the dialog and returns: a window of its own lives until it closes.
    // Its controls and the dialog grow first where their texts need it.
    void Show();
    // Destroys the window, which ends a modal run.
    void Close();
    // Ends the dialog as its Cancel button would, without asking: the application is closing.
    virtual void Cancel() { Close(); }

  protected:
    TDialog() = default;
    // Creates the window centred on the screen, with the dialog font (TUiFont::Dialog).
    void CreateDialogWindow(const TDialogParams& params, HWND owner);
    // Adds a child control in the dialog's font, scaled to its DPI. Returns its handle.
    HWND AddControl(const TControlArgs& args);
    int Scale(int pixels96) const;
    HFONT DialogFont() const { return font_.get(); }
    HWND Control(int id) const { return ::GetDlgItem(Handle(), id); }
    // The button that Enter presses.
    void SetDefaultButton(int id) { defaultId_ = id; }

    // Handlers for the derived dialogs, beside TWindow's named ones. A command does nothing by
    // default; the close box or Alt+F4 closes the dialog.
    void OnCommand(int, int, HWND) override {}
    virtual void OnNotify(NMHDR& header);
    void OnClose() override { Close(); }
    HBRUSH OnControlColour(HDC dc, HWND control, UINT kind) override;
    // The title bar and every control in the mode in force, all repainted.
    void OnThemeChanged() override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    void EnableOwner();
    LRESULT Notified(NMHDR& header);
    TColour Ground() const;
    void Activated(bool active);

    HWND disabledOwner_ = nullptr; // disabled by ShowModal, enabled again when the dialog ends
    TFontHandle font_;
    int dpi_ = 96;
    int defaultId_ = 0;
    HWND focused_ = nullptr; // the control that had the focus when the window last lost it
    bool pageGround_ = false;
    bool growsWithTexts_ = false; // until it has grown, when first shown
};

// The text of a combo box's item; none for an index out of range (CB_ERR among them).
std::optional<std::string> ComboItemText(HWND combo, LRESULT index);
// The text of the selected item; none when nothing is selected.
std::optional<std::string> SelectedComboText(HWND combo);
