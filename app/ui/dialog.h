// Dialogs built from resource templates, modal or as modeless children, and
// the exchange of field values with their controls.
#pragma once

#include <string>

#include "ui/wnd.h"

class CDialog;

// One direction of a data exchange: from the controls into the fields
// (saveAndValidate) or from the fields into the controls.
struct CDataExchange {
    CDialog& dialog;
    bool saveAndValidate;
};

// Binds control id to the object on the first exchange.
void DDX_Control(CDataExchange& dx, int id, CWnd& control);
void DDX_Text(CDataExchange& dx, int id, std::wstring& value);
void DDX_Check(CDataExchange& dx, int id, int& value);

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT templateId) : m_templateId(templateId) {}

    // Runs the dialog modally; the result is what EndDialog was given, or -1.
    INT_PTR DoModal(HWND parent = nullptr);

    // Creates the dialog as a modeless window (a child when its template says
    // WS_CHILD); it stays hidden unless the template makes it visible.
    bool Create(HWND parent);

    void EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }

    // Exchanges all fields with their controls.
    bool UpdateData(bool saveAndValidate = true);

  protected:
    // Binds and fills the controls; a top-level dialog is centred on its
    // screen. Returns TRUE to let the system set the focus.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange&) {}
    virtual void OnOK();
    virtual void OnCancel();
    // A command from a control or an accelerator; true when handled.
    virtual bool OnCommand(WORD id, WORD code, HWND control);

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void CentreOnScreen();

    UINT m_templateId;
};
