// What the tag editor needs of the main window: its list's selection and the
// follow-selection switch. The main window implements it and installs itself.
#pragma once

#include <cstdint>

class TagEditorHost {
public:
    virtual ~TagEditorHost() = default;
    // The main list's selected row (-1 none), read and set.
    virtual int32_t SelectedIndex() = 0;
    virtual void SetSelectedIndex(int32_t row) = 0;
    // The highest row index of the main list, -1 when empty.
    virtual int32_t ItemCount() = 0;
    // The library index of the selected row, -1 none.
    virtual int32_t SelectedKey() = 0;
    // True while the editor is loaded: the main list then calls
    // TagEditorShowProps for every row it selects.
    virtual void SetTagEditorOpen(bool open) = 0;
    // The record's tags or rating changed: rows showing it are fetched again.
    virtual void RecordChanged(int32_t index) = 0;
};

// Not owned; nullptr removes it (the editor then cannot step through the list).
void SetTagEditorHost(TagEditorHost* host);
TagEditorHost* CurrentTagEditorHost();
