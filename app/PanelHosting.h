#pragma once
// How the main view hosts one editor panel at a time over its whole client area. A panel is either
// a dialog (the settings and script panels), whose controls are written back into its record by
// data exchange, or any other window (the splitter panels of the files and registry editors),
// which edits its records in place and so has nothing to write back. Switching panels first
// writes the old panel back and hides it; asking for the panel already shown does nothing (no
// write-back, so the caret and any half-typed text stay). No panel means the start page shows.

#include "framework/window/Dialog.h"

#include <functional>

class CPanelHosting {
public:
    explicit CPanelHosting(CWnd* view = nullptr) : m_view(view) {}
    void SetView(CWnd* view) { m_view = view; }

    // Hosts panel (null: none). A panel without a window counts as none.
    void Show(CWnd* panel);
    // Writes the shown panel's controls back into its record; false when a value was refused.
    bool Commit();
    // Follows the view's new client size.
    void OnSize(int cx, int cy);
    // The shown panel, or null.
    CWnd* Current() const;
    // The shown panel when it is a dialog panel, or null.
    CDialog* CurrentDialog() const;
    // Forgets the shown panel without committing it, so nothing writes through the record it was
    // showing (after the package list changed under it); hides it.
    void Detach();

    // Told whether a panel is shown after every change (the view shows its start page when not).
    void SetOnChange(std::function<void(bool panelShown)> onChange) { m_onChange = std::move(onChange); }

private:
    void Changed();

    std::function<void(bool)> m_onChange;
    CWnd* m_view;               // not owned
    CWnd* m_panel = nullptr;    // not owned: the packages tree owns the panels
};

// What the packages tree asks of the main view.
class CPanelHost {
public:
    virtual ~CPanelHost() = default;
    // The window the panels are children of.
    virtual CWnd* PanelParent() = 0;
    virtual CPanelHosting& Panels() = 0;
};
