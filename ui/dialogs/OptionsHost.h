// What the options page and window need of the main window.
#pragma once

class QWidget;

class OptionsHost {
public:
    virtual ~OptionsHost() = default;
    // Switches the hot-key polling on or off; returns whether it was on.
    virtual bool SetHotKeyTimer(bool enabled) = 0;
    // Shows the record's states again after a reset to the defaults: the
    // list's column visibility and the toggle states of menus and buttons.
    virtual void ReapplySettings() = 0;
    // Shows the switches again in the menu checks and buttons that mirror
    // them, after the page has stored its fields.
    virtual void RefreshToggleStates() = 0;
    // Owner of the modal dialogs the options open.
    virtual QWidget* DialogOwner() = 0;
    // The pane the options page is placed in (frOptions).
    virtual QWidget* OptionsPageFrame() = 0;
};

// The main window registers itself once it exists (nullptr when it goes).
// The options page is built into its pane on the first use of
// LoadOptionsTree, LoadOptions or ShowOptions.
void SetOptionsHost(OptionsHost* host);
OptionsHost* CurrentOptionsHost();
